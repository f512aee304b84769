; HXM's Windows installer, built by makensis from the unpacked package folder:
;   makensis -DVERSION=x.y.z -DPUBLISHER=... -DPACKAGE=DIR -DICON=hxm.ico -DOUTFILE=setup.exe
; Per user, no administrator rights: the program goes to %LOCALAPPDATA%\Programs\HXM, and the
; shortcuts start it in %LOCALAPPDATA%\HXM, where it keeps hxm.db. The uninstaller takes the
; program and the shortcuts away and leaves that folder, so the records survive an uninstall,
; a reinstall and an upgrade.
; 64-bit, as hxm.exe is: it also lets the installer run under a 64-bit-only Wine.
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\HXM"
!define DATA_DIR "$LOCALAPPDATA\HXM"

Name "HXM ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\HXM"
; An upgrade goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "HXM ${VERSION}"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "HXM"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "HXM ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 the HXM developers. MIT licence."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${PACKAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first is the default; the one matching Windows' own language is chosen when present.
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "English"

LangString NAME_PROGRAM ${LANG_RUSSIAN} "Программа HXM"
LangString NAME_PROGRAM ${LANG_ENGLISH} "The HXM program"
LangString NAME_DESKTOP ${LANG_RUSSIAN} "Ярлык на рабочем столе"
LangString NAME_DESKTOP ${LANG_ENGLISH} "Desktop shortcut"
LangString ABOUT_PROGRAM ${LANG_RUSSIAN} "Программа и ярлык в меню «Пуск». Результаты хранятся в $LOCALAPPDATA\HXM."
LangString ABOUT_PROGRAM ${LANG_ENGLISH} "The program and its Start menu shortcut. Results are kept in $LOCALAPPDATA\HXM."
LangString ABOUT_DESKTOP ${LANG_RUSSIAN} "Ярлык HXM на рабочем столе."
LangString ABOUT_DESKTOP ${LANG_ENGLISH} "An HXM shortcut on the desktop."

; A shortcut that starts the program in the data folder, as the Start menu and desktop do.
!macro SHORTCUT LINK
  SetOutPath "${DATA_DIR}"
  CreateShortcut "${LINK}" "$INSTDIR\hxm.exe" "" "$INSTDIR\hxm.exe" 0
!macroend

Section "!$(NAME_PROGRAM)" SEC_PROGRAM
  SectionIn RO
  ; An older version's folders go first, so none of its files outlive it.
  RMDir /r "$INSTDIR\font"
  RMDir /r "$INSTDIR\sound"
  SetOutPath "$INSTDIR"
  File "${PACKAGE}\hxm.exe"
  File "${PACKAGE}\README.txt"
  File "${PACKAGE}\LICENSE.txt"
  File /r "${PACKAGE}\font"
  File /r "${PACKAGE}\sound"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "${DATA_DIR}"
  !insertmacro SHORTCUT "$SMPROGRAMS\HXM.lnk"

  ; The entry in "Apps and features".
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "HXM"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hxm.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "$(NAME_DESKTOP)" SEC_DESKTOP
  !insertmacro SHORTCUT "$DESKTOP\HXM.lnk"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SEC_PROGRAM} $(ABOUT_PROGRAM)
  !insertmacro MUI_DESCRIPTION_TEXT ${SEC_DESKTOP} $(ABOUT_DESKTOP)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function StartProgram
  SetOutPath "${DATA_DIR}"
  Exec '"$INSTDIR\hxm.exe"'
FunctionEnd

; The records in the data folder stay: only what the installer put in is taken away.
Section "Uninstall"
  Delete "$SMPROGRAMS\HXM.lnk"
  Delete "$DESKTOP\HXM.lnk"
  Delete "$INSTDIR\hxm.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  RMDir /r "$INSTDIR\font"
  RMDir /r "$INSTDIR\sound"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
