; The Windows installer of Tavo: both builds of tavo.scr inside; the one that matches the system goes into
; the real system folder. Built by scripts/package-windows.sh, which defines:
;   VERSION  the product version text    OUTFILE  the installer to write    ICON  the program's icon
;   SCR64 / SCR32  the 64-bit and 32-bit tavo.scr    SIZE64 / SIZE32  their sizes in KB
;   AMD64_STUB  (optional) a 64-bit installer program, for systems that run no 32-bit programs
!ifdef AMD64_STUB
Target amd64-unicode
!else
Unicode true
!endif

!include "LogicLib.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

!define PRODUCT "Tavo"
!define PUBLISHER "Halvex"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavo"
!define SETTINGS_KEY "Software\Halvex\Tavo"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
; the saver goes into the system folder; only the uninstaller lives here
InstallDir "$PROGRAMFILES\Tavo"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

Page components
Page instfiles
UninstPage components
UninstPage instfiles

; 64-bit Windows: the 64-bit build, the real system folder (not the one 32-bit programs are shown) and the
; registry view that Apps & features reads.
!macro UseSystemView
    ${If} ${RunningX64}
        ${DisableX64FSRedirection}
        SetRegView 64
        StrCpy $INSTDIR "$PROGRAMFILES64\Tavo"
    ${EndIf}
!macroend

Function .onInit
    !insertmacro UseSystemView
FunctionEnd

Function un.onInit
    !insertmacro UseSystemView
FunctionEnd

Section "Tavo screen saver" SecSaver
    SectionIn RO
    SetOutPath "$SYSDIR"
    SetOverwrite on
    ${If} ${RunningX64}
        File "/oname=tavo.scr" "${SCR64}"
        StrCpy $0 ${SIZE64}
    ${Else}
        File "/oname=tavo.scr" "${SCR32}"
        StrCpy $0 ${SIZE32}
    ${EndIf}
    CreateDirectory "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} screen saver"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\tavo.scr,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The system names the current screen saver by its short path, as its own settings write it.
Section "Use Tavo as my screen saver" SecUse
    GetFullPathName /SHORT $0 "$SYSDIR\tavo.scr"
    ${If} $0 == ""
        StrCpy $0 "$SYSDIR\tavo.scr"
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Section "un.Tavo screen saver" UnSecSaver
    SectionIn RO
    Delete /REBOOTOK "$SYSDIR\tavo.scr"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; the current screen saver is cleared only while it is still this one
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${GetFileName} $0 $1
    ${If} $1 == "tavo.scr"
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
SectionEnd

Section /o "un.Also remove my settings and patterns" UnSecSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
SectionEnd
