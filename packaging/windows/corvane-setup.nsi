; Corvane's setup for 64-bit Windows: the tray program, the tools and the joystick driver,
; for all users under Program Files, with an uninstaller listed under "Apps".
;
; Made by packaging/windows/make-setup, which passes:
;   VERSION          the version the programs print with --version, e.g. 0.1.0
;   VERSION_NUMBERS  the same as four numbers, e.g. 0.1.0.0
;   COMPANY, COPYRIGHT, ICON
;   FILES            the folder of the files to install (the driver package in FILES\driver)
;   OUTFILE          the setup program to write
;   SIGN             (optional) a command that signs the file %1 in place
;
; Command line, besides NSIS's own /S (silent) and /D=FOLDER:
;   uninstall.exe /S /RemoveSettings   also removes the settings under HKLM
;   setup.exe /S /NoAutoStart          does not start Corvane at sign-in

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define PRODUCT "Corvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define SETTINGS_KEY "SYSTEM\CurrentControlSet\Control\MediaProperties\PrivateProperties\Joystick\OEM\Corvane"
; The tray program's property window and its "Exit" command (src/app/win32/control_ids.h).
!define WINDOW_CLASS "#32770"
!define WINDOW_TITLE "Corvane Propaties"
!define MENU_EXIT_ID 2002

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

!ifdef SIGN
  ; The uninstaller is written into the setup, so it is signed before the setup is.
  !uninstfinalize '${SIGN}'
  !finalize '${SIGN}'
!endif

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
Page custom DriverRefusedPage
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var DriverOutput  ; what corvane-driver.exe said, when the driver did not load
Var DriverLoaded  ; 1 when the joystick bus runs after the installation

; Ends every running Corvane in order, as its "Exit" does (the joystick goes, the mixer gets
; its values back), then by force whatever is left, so that its files can be replaced or
; removed.
!macro END_CORVANE un
Function ${un}EndCorvane
  Push $0
  Push $1
  StrCpy $1 0
  ${Do}
    FindWindow $0 "${WINDOW_CLASS}" "${WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    ${If} $1 = 0
      DetailPrint "Ending the running Corvane"
    ${EndIf}
    SendMessage $0 ${WM_COMMAND} ${MENU_EXIT_ID} 0 /TIMEOUT=2000
    Sleep 100
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 50
  ; A Corvane of another session, or one that did not answer.
  nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM corvane.exe'
  Pop $0
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro END_CORVANE ""
!insertmacro END_CORVANE "un."

Section "Corvane" SectionProgram
  SectionIn RO
  SetShellVarContext all
  Call EndCorvane

  SetOutPath "$INSTDIR"
  File "${FILES}\corvane.exe"
  File "${FILES}\corvane-decode.exe"
  File "${FILES}\corvane-siggen.exe"
  File "${FILES}\README.md"
  File "${FILES}\copyright.txt"
  SetOutPath "$INSTDIR\driver"
  File "${FILES}\driver\corvane_bus.sys"
  File "${FILES}\driver\corvane_hid.sys"
  File "${FILES}\driver\corvane_bus.inf"
  File "${FILES}\driver\corvane_joystick.inf"
  File "${FILES}\driver\corvane.cat"
  File "${FILES}\driver\corvane-driver.exe"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\corvane.exe" "" "$INSTDIR\corvane.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\corvane.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  Call InstallDriver
SectionEnd

Section "Start Corvane when I sign in" SectionAutoStart
  WriteRegStr HKCU "${RUN_KEY}" "${PRODUCT}" '"$INSTDIR\corvane.exe"'
SectionEnd

; An upgrade without the sign-in start takes away the one an older version stored.
Section "-AutoStartOff"
  ${IfNot} ${SectionIsSelected} ${SectionAutoStart}
    DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  ${EndIf}
SectionEnd

; The driver is installed with its own tool. Whether Windows loaded it shows in "status"
; (0 only when the bus runs): Windows installs an unsigned kernel driver but refuses to
; start it outside test-signing mode. A driver that did not load fails nothing else.
Function InstallDriver
  DetailPrint "Installing the joystick driver"
  nsExec::ExecToStack '"$INSTDIR\driver\corvane-driver.exe" install "$INSTDIR\driver"'
  Pop $0
  Pop $1
  StrCpy $DriverOutput $1
  nsExec::ExecToStack '"$INSTDIR\driver\corvane-driver.exe" status'
  Pop $2
  Pop $3
  StrCpy $DriverOutput "$DriverOutput$3"
  ${If} $0 == 0
  ${AndIf} $2 == 0
    StrCpy $DriverLoaded 1
    DetailPrint "The joystick driver runs"
  ${Else}
    StrCpy $DriverLoaded 0
    DetailPrint "Windows did not load the joystick driver:"
    DetailPrint "$DriverOutput"
  ${EndIf}
FunctionEnd

Function .onInit
  SetShellVarContext all
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NoAutoStart" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SectionAutoStart}
  ${EndIf}
FunctionEnd

Function DriverRefusedPage
  ${If} $DriverLoaded == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "The joystick driver did not load" \
    "Corvane is installed; games do not see its joystick yet."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 60u "Windows did not load Corvane's joystick driver. Windows \
starts a new kernel driver only when Microsoft has signed it, or on a computer switched to \
test-signing mode.$\r$\n$\r$\nCorvane itself is installed and works: it decodes your \
transmitter and shows the channel bars. README.md, in Corvane's folder, says under \
$\"Windows$\" how to get the joystick."
  Pop $0
  ${NSD_CreateText} 0 64u 100% 70u "$DriverOutput"
  Pop $0
  SendMessage $0 ${EM_SETREADONLY} 1 0
  nsDialogs::Show
FunctionEnd

; The uninstaller. Its components page offers to remove the settings too.

Section "un.Corvane" SectionUninstallProgram
  SectionIn RO
  SetShellVarContext all
  Call un.EndCorvane

  DetailPrint "Removing the joystick driver"
  nsExec::ExecToStack '"$INSTDIR\driver\corvane-driver.exe" remove'
  Pop $0
  Pop $1
  ${If} $0 != 0
    DetailPrint "corvane-driver.exe remove failed: $1"
  ${EndIf}

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "${PRODUCT}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  Delete "$INSTDIR\driver\corvane_bus.sys"
  Delete "$INSTDIR\driver\corvane_hid.sys"
  Delete "$INSTDIR\driver\corvane_bus.inf"
  Delete "$INSTDIR\driver\corvane_joystick.inf"
  Delete "$INSTDIR\driver\corvane.cat"
  Delete "$INSTDIR\driver\corvane-driver.exe"
  RMDir "$INSTDIR\driver"
  Delete "$INSTDIR\corvane.exe"
  Delete "$INSTDIR\corvane-decode.exe"
  Delete "$INSTDIR\corvane-siggen.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\copyright.txt"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
SectionEnd

Section /o "un.Also remove my settings" SectionRemoveSettings
  DeleteRegKey HKLM "${SETTINGS_KEY}"
SectionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveSettings" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SectionRemoveSettings}
  ${EndIf}
FunctionEnd
