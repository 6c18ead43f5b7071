; Set-up of the emulated notebook, for a demo or test machine without the notebook: its
; libraries go into the system folder so that Power Management runs there. Never part of the
; Power Management set-up. The build passes /DARCH, /DVERSION, /DICON, /DOUTFILE and the
; files: /DZELNOR /DSARNESH /DPORTAX /DVODOVERIZ /DVOVOZI /DPOWRPROF /DNOTEBOOKSETUP
; /DNOTEBOOKBATTERY.
Unicode true
!if "${ARCH}" == "x64"
    Target amd64-unicode
!else
    Target x86-unicode
!endif
!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Notebook Emulator for Power Management"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Notebook Emulator"
!define OVERRIDES_KEY "Software\Wine\DllOverrides"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$SYSDIR"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
; Drawn by Windows at the panel's DPI, not stretched.
ManifestDPIAware true
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "${PRODUCT}: demo and test machines only (${ARCH})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "TERVANE"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TITLE "${PRODUCT}"
!define MUI_WELCOMEPAGE_TEXT "$(Welcome)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
LangString Welcome ${LANG_ENGLISH} "This installs stand-ins for the notebook's own libraries, so that Power Management can be shown or tested on a computer that is not the notebook. Do not install it on the notebook itself."

Var wine ; 1 under Wine

; Wine's ntdll exports wine_get_version; Windows' does not.
!macro DETECT_WINE
    StrCpy $wine 0
    System::Call 'kernel32::GetModuleHandle(t "ntdll.dll") p .r0'
    System::Call 'kernel32::GetProcAddress(p r0, m "wine_get_version") p .r1'
    ${If} $1 P<> 0
        StrCpy $wine 1
    ${EndIf}
!macroend

Function .onInit
    !insertmacro DETECT_WINE
FunctionEnd

Function un.onInit
    !insertmacro DETECT_WINE
FunctionEnd

Section "Notebook libraries"
    SetOutPath "$SYSDIR"
    File "${ZELNOR}"
    File "${SARNESH}"
    File "${PORTAX}"
    File "${VODOVERIZ}"
    File "${VOVOZI}"
    ${If} $wine = 1
        ; Wine's own power manager is stubs: ours replaces it there, and only there (on
        ; Windows the system's own is used). Wine also lacks the XP power schemes, which
        ; NotebookSetup adds; the switcher needs a later Windows version reported. Wine has
        ; no battery device either: the battery driver gives it the notebook's battery bays,
        ; which NotebookSetup registers (reading the machine's own power-supply tree).
        File "${POWRPROF}"
        WriteRegStr HKCU "${OVERRIDES_KEY}" "powrprof" "native,builtin"
        WriteRegStr HKCU "Software\Wine\AppDefaults\Pivora.exe" "Version" "win7"
        SetOutPath "$SYSDIR\drivers"
        File "${NOTEBOOKBATTERY}"
        SetOutPath "$WINDIR"
        File "${NOTEBOOKSETUP}"
        ExecWait '"$WINDIR\NotebookSetup.exe"'
    ${EndIf}
    WriteUninstaller "$WINDIR\NotebookEmulatorUninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "TERVANE"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$WINDIR\NotebookEmulatorUninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    Delete /REBOOTOK "$SYSDIR\Zelnor.dll"
    Delete /REBOOTOK "$SYSDIR\Sarnesh.dll"
    Delete /REBOOTOK "$SYSDIR\PORTAX.DLL"
    Delete /REBOOTOK "$SYSDIR\VodovEriz.dll"
    Delete /REBOOTOK "$SYSDIR\VoVOZI.dll"
    ${If} $wine = 1
        Delete /REBOOTOK "$SYSDIR\powrprof.dll"
        DeleteRegValue HKCU "${OVERRIDES_KEY}" "powrprof"
        DeleteRegKey HKCU "Software\Wine\AppDefaults\Pivora.exe"
        ExecWait '"$WINDIR\NotebookSetup.exe" --remove-batteries'
        Delete /REBOOTOK "$SYSDIR\drivers\NotebookBattery.sys"
        Delete "$WINDIR\NotebookSetup.exe"
    ${EndIf}
    DeleteRegKey HKLM "Software\Notebook Emulator"
    Delete "$WINDIR\NotebookJournal.txt"
    Delete "$WINDIR\NotebookEmulatorUninstall.exe"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
