; The Windows installer of Pemdaro: a 64-bit NSIS installer that installs for every user of
; the machine into Program Files, where users cannot write, so the installed program keeps
; each user's table in %APPDATA%\Pemdaro\. The uninstaller removes exactly the files the
; installer put there and never anything in %APPDATA%.
;
; scripts/package-windows.sh builds it:
;   makensis -DVERSION=1.1.0 -DSTAGE=<folder with pemdaro.exe, LICENSE.txt, the read-me>
;            -DOUTFILE=<setup.exe> [-DICON=<.ico>]
;            packaging/windows/pemdaro.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!ifndef VERSION | STAGE | OUTFILE
  !error "VERSION, STAGE and OUTFILE must be defined (see scripts/package-windows.sh)"
!endif

!define PRODUCT "Pemdaro"
!define PUBLISHER "The Pemdaro authors"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define UNINSTALLER "uninstall.exe"
!define README "はじめにお読みください.txt"

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} ${VERSION} セットアップ"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\${README}"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"

; A 64-bit installer: 32-bit Windows does not start it at all.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "${PRODUCT}"
  ; A folder that cannot be made or a file that cannot be written (the program still
  ; running, say) ends the installation with exit code 2 and no shortcut or registration:
  ; a silent installation must not report success for files it did not put there.
  ClearErrors
  SetOutPath "$INSTDIR"
  File "${STAGE}\pemdaro.exe"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\${README}"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "$INSTDIR にファイルを書き込めませんでした。" /SD IDOK
    Abort
  ${EndIf}

  ; The shortcut starts the program in its own folder, which holds no kelnova.ini: the
  ; installed program then reads the one in %APPDATA%\Pemdaro\.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\pemdaro.exe" "" \
    "$INSTDIR\pemdaro.exe" 0 SW_SHOWNORMAL "" "予定帳"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pemdaro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; Only the files named here go: never RMDir /r, since the folder may have been chosen as
; one that holds other files, and a table kept beside the program stays with its folder.
Section "Uninstall"
  ; A running program cannot be deleted: then nothing is removed, so that the entry in
  ; Add/Remove Programs stays for another try (exit code 2 when silent).
  ClearErrors
  Delete "$INSTDIR\pemdaro.exe"
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} を終了してから、もう一度アンインストールしてください。" /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\${README}"
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
