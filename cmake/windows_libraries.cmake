# The libraries of the Windows programs that Debian ships no MinGW build of: SQLite, zlib and
# libharu. scripts/windows-libraries.sh builds them once from Debian's own source
# packages into the build folder; later configure runs find them there.
set(windows_libraries ${CMAKE_BINARY_DIR}/third-party/mingw)
execute_process(
  COMMAND bash ${PROJECT_SOURCE_DIR}/scripts/windows-libraries.sh ${CMAKE_BINARY_DIR}/third-party
  RESULT_VARIABLE windows_libraries_result)
if(NOT windows_libraries_result EQUAL 0)
  message(FATAL_ERROR "The Windows libraries could not be built (scripts/windows-libraries.sh)")
endif()

add_library(sqlite_library INTERFACE)
target_include_directories(sqlite_library SYSTEM INTERFACE ${windows_libraries}/include)
target_link_libraries(sqlite_library INTERFACE ${windows_libraries}/lib/libsqlite3.a)
add_library(zlib_library INTERFACE)
target_include_directories(zlib_library SYSTEM INTERFACE ${windows_libraries}/include)
target_link_libraries(zlib_library INTERFACE ${windows_libraries}/lib/libz.a)
# Found by export/CMakeLists.txt as it finds Debian's Linux libharu.
set(KOLVEX_HPDF_INCLUDE ${windows_libraries}/include CACHE PATH "libharu's headers" FORCE)
set(KOLVEX_HPDF_LIBRARY ${windows_libraries}/lib/libhpdf.a CACHE FILEPATH "libharu" FORCE)
