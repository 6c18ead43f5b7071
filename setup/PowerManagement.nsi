; Set-up of the Power Management suite for one architecture. The build passes:
;   /DARCH=x86|x64 /DVERSION=1.0.0.0 /DHALVIK= /DPIVORA= /DTOBRINEL= /DVUMO= (the four
;   deliverables) /DICON=<set-up icon> /DOUTFILE=<set-up program>
; The notebook's own libraries are never part of it: they come with the notebook (or, on a
; demo or test machine, from the separate NotebookEmulatorSetup).
Unicode true
!if "${ARCH}" == "x64"
    ; A 64-bit set-up: it writes the 64-bit registry view and the 64-bit program folder, where
    ; the 64-bit Control Panel finds the 64-bit applet.
    Target amd64-unicode
    !define PROGRAM_FOLDER "$PROGRAMFILES64\Power Management"
!else
    Target x86-unicode
    !define PROGRAM_FOLDER "$PROGRAMFILES\Power Management"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Power Management"
!define PUBLISHER "TERVANE"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Power Management"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_TRAY "Power Management"
!define RUN_SWITCHER "Power Management Switcher"
!define SCHEMES_KEY "Control Panel\PowerCfg\PowerPolicies"
!define STORE_KEY "Software\TERVANE\Power Management"
; The programs' own ways to be ended: the tray's orderly exit and the switcher's close.
!define TRAY_CLASS "TvPMClass"
!define WM_TRAY_EXIT 0x8078
!define SWITCHER_CLASS "The Dialog of Pivora"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FOLDER}"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
; Drawn by Windows at the panel's DPI, not stretched.
ManifestDPIAware true
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} set-up (${ARCH})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The language chosen in the dialog (or the system's, in silent mode) is kept for the
; uninstaller and offered first by an upgrade; it goes with the uninstall entry.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "Language"
!define MUI_LANGDLL_ALLLANGUAGES
!define MUI_FINISHPAGE_NOAUTOCLOSE
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!include "${__FILEDIR__}\Languages.nsh"
!insertmacro MUI_RESERVEFILE_LANGDLL

Var started ; the programs to start again at the end: 1 when the notebook's libraries are there

; Waits, at most 10 s, until the file $0 may be written: its program has ended. Error flag set
; when it is still in use.
!macro WAIT_FILE_FREE un
Function ${un}WaitFileFree
    Push $1
    Push $2
    StrCpy $2 0
    ${Do}
        ${IfNot} ${FileExists} "$0"
            ${Break}
        ${EndIf}
        ClearErrors
        FileOpen $1 "$0" a
        ${IfNot} ${Errors}
            FileClose $1
            ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
        ${If} $2 > 100
            SetErrors
            ${Break}
        ${EndIf}
        Sleep 100
    ${Loop}
    Pop $2
    Pop $1
FunctionEnd
!macroend
!insertmacro WAIT_FILE_FREE ""
!insertmacro WAIT_FILE_FREE "un."

; Ends the running switcher through its own command line ("close" asks the running copy to
; end). Only when one runs: without a running copy, "close" starts a new one.
!macro END_SWITCHER un
Function ${un}EndSwitcher
    FindWindow $0 "${SWITCHER_CLASS}"
    ${If} $0 <> 0
    ${AndIf} ${FileExists} "$INSTDIR\Pivora.exe"
        ExecWait '"$INSTDIR\Pivora.exe" close'
    ${EndIf}
    StrCpy $1 0
    ${Do}
        FindWindow $0 "${SWITCHER_CLASS}"
        ${If} $0 = 0
        ${OrIf} $1 > 100
            ${Break}
        ${EndIf}
        IntOp $1 $1 + 1
        Sleep 100
    ${Loop}
    StrCpy $0 "$INSTDIR\Pivora.exe"
    Call ${un}WaitFileFree
FunctionEnd
!macroend
!insertmacro END_SWITCHER ""
!insertmacro END_SWITCHER "un."

!macro REQUIRE_ADMIN
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_ICONSTOP|MB_TOPMOST "$(NeedAdmin)" /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
        Quit
    ${EndIf}
!macroend

Function .onInit
    ; Silent, the system language decides (NSIS has picked it), not an earlier choice.
    ${IfNot} ${Silent}
        !insertmacro MUI_LANGDLL_DISPLAY
    ${EndIf}
    !insertmacro REQUIRE_ADMIN
FunctionEnd

Section "${PRODUCT}" SecSuite
    SectionIn RO
    ; An upgrade: the running tray ends the orderly way (no removal run, the user's modes stay),
    ; the switcher through its command line; their files must be free before they are replaced.
    FindWindow $0 "${TRAY_CLASS}"
    ${If} $0 <> 0
        SendMessage $0 ${WM_TRAY_EXIT} 0 0 /TIMEOUT=10000
    ${EndIf}
    StrCpy $0 "$INSTDIR\Halvik.exe"
    Call WaitFileFree
    ${If} ${Errors}
        StrCpy $0 "Halvik.exe"
        MessageBox MB_ICONSTOP "$(StillRunning)" /SD IDOK
        SetErrorLevel 32 ; ERROR_SHARING_VIOLATION
        Abort
    ${EndIf}
    Call EndSwitcher
    ${If} ${Errors}
        StrCpy $0 "Pivora.exe"
        MessageBox MB_ICONSTOP "$(StillRunning)" /SD IDOK
        SetErrorLevel 32
        Abort
    ${EndIf}

    SetOutPath "$INSTDIR"
    SetOverwrite on
    ClearErrors
    File "${HALVIK}"
    File "${PIVORA}"
    File "${TOBRINEL}"
    ; The applet goes into the system folder: the Control Panel lists every applet there, and
    ; "control.exe Vumo.cpl" (what the tray runs) loads it by name, which searches the system
    ; folder and not a program folder named in the Control Panel's list (Wine's does not). The
    ; applet loads its installer library by name inside control.exe, so a copy goes beside it.
    SetOutPath "$SYSDIR"
    File "${VUMO}"
    File "${TOBRINEL}"
    SetOutPath "$INSTDIR"
    ${If} ${Errors}
        StrCpy $0 "${PRODUCT}"
        MessageBox MB_ICONSTOP "$(StillRunning)" /SD IDOK
        SetErrorLevel 32
        Abort
    ${EndIf}
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    ; Both programs run for every user's session.
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_TRAY}" '"$INSTDIR\Halvik.exe"'
    WriteRegStr HKLM "${RUN_KEY}" "${RUN_SWITCHER}" '"$INSTDIR\Pivora.exe"'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Halvik.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ; The pages save the language only when they are shown; a silent set-up saves it here.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Language" "$LANGUAGE"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

    ; The programs start now only where the notebook's libraries are: without them the tray
    ; would stop at once with an error box.
    StrCpy $started 0
    ${If} ${FileExists} "$SYSDIR\Zelnor.dll"
    ${AndIf} ${FileExists} "$SYSDIR\Sarnesh.dll"
    ${AndIf} ${FileExists} "$SYSDIR\VodovEriz.dll"
    ${AndIf} ${FileExists} "$SYSDIR\PORTAX.DLL"
        StrCpy $started 1
        Exec '"$INSTDIR\Halvik.exe"'
        Exec '"$INSTDIR\Pivora.exe"'
    ${Else}
        MessageBox MB_ICONINFORMATION "$(NoNotebook)" /SD IDOK
    ${EndIf}
SectionEnd

Function un.onInit
    !insertmacro MUI_UNGETLANGUAGE
    !insertmacro REQUIRE_ADMIN
FunctionEnd

; What the removal run does to the Windows schemes, for when the tray program is gone: the
; scheme of the first subkey becomes active and the one named "Power Management" is deleted.
Function un.DeleteWindowsScheme
    EnumRegKey $1 HKCU "${SCHEMES_KEY}" 0
    ${If} $1 == ""
        Return
    ${EndIf}
    StrCpy $2 0
    ${Do}
        EnumRegKey $3 HKCU "${SCHEMES_KEY}" $2
        ${If} $3 == ""
            Return
        ${EndIf}
        ReadRegStr $4 HKCU "${SCHEMES_KEY}\$3" "Name"
        ${If} $4 == "${PRODUCT}"
            ${Break}
        ${EndIf}
        IntOp $2 $2 + 1
    ${Loop}
    System::Call 'powrprof::SetActivePwrScheme(i r1, p 0, p 0) i'
    System::Call 'powrprof::DeletePwrScheme(i r3) i'
FunctionEnd

Section "Uninstall"
    ; The tray's removal run: it ends the running tray, activates another Windows scheme and
    ; deletes "Power Management" and both trees of the store.
    ${If} ${FileExists} "$INSTDIR\Halvik.exe"
        ExecWait '"$INSTDIR\Halvik.exe" Close'
    ${Else}
        ; Half removed: end the tray and delete the store's trees by hand.
        FindWindow $0 "${TRAY_CLASS}"
        ${If} $0 <> 0
            SendMessage $0 ${WM_TRAY_EXIT} 0 0 /TIMEOUT=10000
        ${EndIf}
        DeleteRegKey HKLM "${STORE_KEY}"
        DeleteRegKey HKCU "${STORE_KEY}"
        Call un.DeleteWindowsScheme
    ${EndIf}
    ; The maker's key, when nothing else is left in it.
    DeleteRegKey /ifempty HKLM "Software\TERVANE"
    DeleteRegKey /ifempty HKCU "Software\TERVANE"
    StrCpy $0 "$INSTDIR\Halvik.exe"
    Call un.WaitFileFree
    Call un.EndSwitcher

    ; A file still in use (the applet open in the Control Panel) goes at the next restart.
    Delete /REBOOTOK "$INSTDIR\Halvik.exe"
    Delete /REBOOTOK "$INSTDIR\Pivora.exe"
    Delete /REBOOTOK "$INSTDIR\Tobrinel.dll"
    Delete /REBOOTOK "$SYSDIR\Vumo.cpl"
    Delete /REBOOTOK "$SYSDIR\Tobrinel.dll"
    Delete "$INSTDIR\Uninstall.exe"
    ; Only an empty folder: nothing that is not the suite's is removed.
    RMDir /REBOOTOK "$INSTDIR"
    ; What the programs wrote: the tray's log and the switcher's battery-event count (an
    ; override file Pivora.dmg was put there by a person and stays).
    Delete "C:\DebugLog.txt"
    SetShellVarContext all
    Delete "$APPDATA\Pivora.cbt"

    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_TRAY}"
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_SWITCHER}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
