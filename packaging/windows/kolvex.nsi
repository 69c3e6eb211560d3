; The Kolvex installer for 64-bit Windows, built by scripts/package-windows.sh with makensis:
;   makensis -DVERSION=<version> -DSTAGE=<folder of the files> -DOUTFILE=<setup.exe> kolvex.nsi
; It never asks for administrator rights. Started by a user, it installs for that user into
; %LOCALAPPDATA%\Programs\Kolvex; started as administrator, it installs for every user into
; Program Files. /CurrentUser or /AllUsers on its command line choose instead. The uninstaller
; removes every file, shortcut and registry value it made.
Unicode true
; A 64-bit installer: Wine without its 32-bit half runs it too.
Target amd64-unicode
!include LogicLib.nsh
!include FileFunc.nsh
!include x64.nsh

Name "Kolvex ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\Kolvex"
ShowInstDetails show
ShowUninstDetails show

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kolvex"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var AllUsers
Var UnAllUsers

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Kolvex needs 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers 0
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    ${If} $0 != "Admin"
      MessageBox MB_ICONSTOP "Installing for all users needs administrator rights." /SD IDOK
      Abort
    ${EndIf}
    StrCpy $AllUsers 1
  ${EndIf}
  ${If} $AllUsers == 1
    SetShellVarContext all
    StrCpy $INSTDIR "$PROGRAMFILES64\Kolvex"
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Kolvex"
  SetOutPath "$INSTDIR"
  File "${STAGE}\kolvex-export.exe"
  File "${STAGE}\kolvex.exe"
  File "${STAGE}\kolvex-bills.exe"
  File "${STAGE}\kolvex-prompt.cmd"
  File "${STAGE}\README.txt"
  File "${STAGE}\Licenses.txt"
  SetOutPath "$INSTDIR\samples"
  File "${STAGE}\samples\TRAN.dbf"
  SetOutPath "$PROFILE"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; A console in the user's folder with kolvex-export on its PATH.
  CreateDirectory "$SMPROGRAMS\Kolvex"
  CreateShortCut "$SMPROGRAMS\Kolvex\Kolvex Command Prompt.lnk" "$SYSDIR\cmd.exe" \
    '/k ""$INSTDIR\kolvex-prompt.cmd""' "$SYSDIR\cmd.exe" 0
  CreateShortCut "$SMPROGRAMS\Kolvex\Kolvex README.lnk" "$INSTDIR\README.txt"
  ; The window, started in the user's folder, where its Open dialog begins. Kolvex opens no file
  ; given to it, so no file type is associated with it.
  CreateShortCut "$SMPROGRAMS\Kolvex\Kolvex.lnk" "$INSTDIR\kolvex.exe"
  ; The payment period's bills, started in the user's folder too.
  CreateShortCut "$SMPROGRAMS\Kolvex\Kolvex Bills.lnk" "$INSTDIR\kolvex-bills.exe"

  ; SHCTX is HKLM for every user's install, HKCU for one user's.
  ${If} $AllUsers == 1
    StrCpy $0 "/AllUsers"
  ${Else}
    StrCpy $0 "/CurrentUser"
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Kolvex"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe" $0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" $0 /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${If} ${Errors}
    StrCpy $UnAllUsers 0
    SetShellVarContext current
  ${Else}
    StrCpy $UnAllUsers 1
    SetShellVarContext all
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\kolvex-export.exe"
  Delete "$INSTDIR\kolvex.exe"
  Delete "$INSTDIR\kolvex-bills.exe"
  Delete "$INSTDIR\kolvex-prompt.cmd"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Licenses.txt"
  Delete "$INSTDIR\samples\TRAN.dbf"
  RMDir "$INSTDIR\samples"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Kolvex\Kolvex Command Prompt.lnk"
  Delete "$SMPROGRAMS\Kolvex\Kolvex README.lnk"
  Delete "$SMPROGRAMS\Kolvex\Kolvex.lnk"
  Delete "$SMPROGRAMS\Kolvex\Kolvex Bills.lnk"
  RMDir "$SMPROGRAMS\Kolvex"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The user's own program folder, when the install made it and nothing else uses it.
  ${If} $UnAllUsers == 0
    RMDir "$LOCALAPPDATA\Programs"
  ${EndIf}
SectionEnd
