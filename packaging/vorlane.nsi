; Vorlane's installer: one user's install, no administrator rights, a Start-menu
; entry and an uninstaller listed under the user's installed programs.
;
; scripts/package.sh compiles it; it passes with -D:
;   VERSION        the program's four-part version, read from resources/vorlane.rc
;   VERSION_SHORT  its first two parts, as the window title and the file names show it
;   STAGE          the folder of the files to install (the portable zip's, unpacked)
;   ICON           the program's icon (made by the build)
;   NSIS_LICENCE   the licence of NSIS itself, whose stub becomes uninstall.exe
;   OUTFILE        the installer to write
;   TARGET         x86-unicode for the product; amd64-unicode only for the test
;                  install on hosts where no 32-bit program runs

Unicode true
!ifdef TARGET
  Target ${TARGET}
!endif

!define PRODUCT "Vorlane"
!define EXE "vorlane.exe"
; The program's main window class: while it exists, its files are in use.
!define WINDOW_CLASS "VorlaneMainWindow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlane"

Name "${PRODUCT} ${VERSION_SHORT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
BrandingText "${PRODUCT} ${VERSION_SHORT}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\$(README_FILE)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first language is the one used on systems that match neither.
!insertmacro MUI_LANGUAGE "SimpChinese"
!insertmacro MUI_LANGUAGE "English"

LangString README_FILE ${LANG_SIMPCHINESE} "README.zh-CN.txt"
LangString README_FILE ${LANG_ENGLISH} "README.en.txt"
LangString STILL_RUNNING ${LANG_SIMPCHINESE} "${PRODUCT} 正在运行。请先关闭它，再点“重试”。"
LangString STILL_RUNNING ${LANG_ENGLISH} "${PRODUCT} is running. Close it, then choose Retry."

; The same keys as the program's own version information, which has no
; copyright line either.
!pragma warning disable 9100
VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION_SHORT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "OriginalFilename" "vorlane-${VERSION_SHORT}-setup.exe"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION_SHORT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "OriginalFilename" "vorlane-${VERSION_SHORT}-setup.exe"

; Files cannot be replaced or removed while the program runs: ask the user to
; close it. A silent run cannot ask, and gives up (exit code 2).
!macro WAIT_WHILE_RUNNING
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(STILL_RUNNING)" /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Section "Install"
  !insertmacro WAIT_WHILE_RUNNING
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  !if /FileExists "${STAGE}\vorlane-cli.exe"
    File "${STAGE}\vorlane-cli.exe"
  !endif
  ; The user's own settings survive a reinstall or an update: an existing
  ; vorlane.ini is kept, and what it lacks the program takes from its defaults.
  SetOverwrite off
  File "${STAGE}\vorlane.ini"
  SetOverwrite on
  File "${STAGE}\README.zh-CN.txt"
  File "${STAGE}\README.en.txt"
  SetOutPath "$INSTDIR\LICENSES"
  File "${STAGE}\LICENSES\*.txt"
  File "/oname=nsis.txt" "${NSIS_LICENCE}"
  ; The shortcut starts the program in its own folder, where an update lands.
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION_SHORT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION_SHORT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Removes exactly what the installer put there, and what the program's update
; leaves in its folder; anything else the user put in the folder stays, and so
; does the folder then.
Section "Uninstall"
  !insertmacro WAIT_WHILE_RUNNING
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\vorlane-cli.exe"
  Delete "$INSTDIR\vorlane.ini"
  Delete "$INSTDIR\README.zh-CN.txt"
  Delete "$INSTDIR\README.en.txt"
  Delete "$INSTDIR\m_update.zip"
  Delete "$INSTDIR\m_update.zip.tmp"
  Delete "$INSTDIR\m_update.zip.tmp.validator"
  Delete "$INSTDIR\m_update.exe"
  Delete "$INSTDIR\LICENSES\*.txt"
  RMDir "$INSTDIR\LICENSES"
  ; The update's own folder: the package, its partial download and what was
  ; unpacked from it. Nothing else of the user's lives there. Removed before the
  ; install folder, whose going marks the end of the uninstall.
  RMDir /r "$LOCALAPPDATA\${PRODUCT}\update"
  RMDir "$LOCALAPPDATA\${PRODUCT}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
