// A zip archive written to a file entry by entry, each entry deflated as its bytes arrive, so an
// entry of any size takes little memory: the container of a workbook. Deflating costs twice as
// much as making a sheet's text, so an entry's blocks are deflated on two threads of the
// archive's own while the caller goes on writing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace exporter {

class ZipFile {
 public:
  // Creates the archive at `path`, emptying a file there. Failures name `shown`, where the file is
  // bound for: RunTimeError 75 "cannot write the workbook 'SHOWN': REASON.", the system's reason.
  ZipFile(const std::string& path, const std::string& shown);
  ~ZipFile();
  ZipFile(const ZipFile&) = delete;
  ZipFile& operator=(const ZipFile&) = delete;

  // Starts entry `name` (ASCII), ending the one before. `most` bounds its bytes: past 4 GiB its
  // header is written with room for sizes that need the zip64 extensions. Throws 75.
  void StartEntry(std::string_view name, std::uint64_t most);
  // Appends to the entry; its bytes are deflated and written in blocks of 1 MiB, at most two of
  // them waiting. Throws 75, also for a block written before that failed.
  void Write(std::string_view bytes);
  // Write, leaving `bytes` empty: a block of 1 MiB or more is handed over as it stands, without
  // a copy, and `bytes` gets a buffer to fill again.
  void WriteAndEmpty(std::string& bytes);
  // Ends the last entry, writes the directory, with the zip64 records when the archive needs
  // them, and closes the file. Throws 75.
  void Close();

 private:
  struct Entry {
    std::string name;
    std::uint64_t offset = 0;  // of its local header
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::uint64_t compressed = 0;
    bool zip64 = false;  // its local header holds the zip64 sizes
  };

  class Deflater;

  void FinishEntry();
  // Adds a deflated block of the open entry, of `size` bytes whose CRC-32 is `crc`, and writes it.
  void AddDeflated(std::string_view deflated, std::uint32_t crc, std::uint64_t size);
  void Put(std::string_view bytes);
  void PutAt(std::uint64_t offset, std::string_view bytes);
  [[noreturn]] void Fail() const;

  std::string shown_;
  std::filebuf file_;
  std::uint64_t written_ = 0;
  std::string block_;  // bytes of the entry not yet handed to the deflater
  std::vector<Entry> entries_;
  bool open_entry_ = false;
  // Made last and ended first: its thread uses all of the above while it deflates a block.
  std::unique_ptr<Deflater> deflater_;
};

}  // namespace exporter
