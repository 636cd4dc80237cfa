; The Windows installer (make windows): for the current user or for all users, a Start
; menu entry, and an uninstaller that removes what was installed and nothing else: the
; orvane.ini, orvane.cfg and DEBUG.OUT a user made stay, and so does their folder.
; makensis -DVERSION=1.2.3 -DFILES=<folder of the zip> -DICON=<.ico> -DOUTFILE=<setup.exe>
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!define APP_NAME "Tarnwick Firmware Uploader"
!define SETTINGS_KEY "Software\Tarnwick\Firmware Uploader"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\TarnwickFirmwareUploader"
; Where the program keeps its files when started from the Start menu: a folder the user
; can write to (a current-user install is one).
!define WORK_FOLDER "$DOCUMENTS\${APP_NAME}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP_NAME}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${SETTINGS_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!include MultiUser.nsh
!include MUI2.nsh

Name "${APP_NAME}"
OutFile "${OUTFILE}"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${APP_NAME}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${APP_NAME} Setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 The Tarnwick Firmware Uploader developers"

Var WorkFolder

Function .onInit
    !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
    !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Program"
    SetOutPath "$INSTDIR"
    File "${FILES}\tarnwick-uploader.exe"
    File "${FILES}\tarnwick-uploader.com"
    File "${FILES}\README.md"
    File "${FILES}\LICENSE"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    ; A current user's own folder takes the program's files; Program Files does not.
    StrCpy $WorkFolder "$INSTDIR"
    StrCmp $MultiUser.InstallMode "AllUsers" 0 +3
    StrCpy $WorkFolder "${WORK_FOLDER}"
    CreateDirectory "$WorkFolder"
    SetOutPath "$WorkFolder"
    CreateShortcut "$SMPROGRAMS\${APP_NAME}.lnk" "$INSTDIR\tarnwick-uploader.exe"
    SetOutPath "$INSTDIR"

    WriteRegStr SHCTX "${SETTINGS_KEY}" "InstallDir" "$INSTDIR"
    WriteRegStr SHCTX "${SETTINGS_KEY}" "WorkFolder" "$WorkFolder"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP_NAME}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Tarnwick"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tarnwick-uploader.exe"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" \
        '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ReadRegStr $WorkFolder SHCTX "${SETTINGS_KEY}" "WorkFolder"
    Delete "$SMPROGRAMS\${APP_NAME}.lnk"
    Delete "$INSTDIR\tarnwick-uploader.exe"
    Delete "$INSTDIR\tarnwick-uploader.com"
    Delete "$INSTDIR\README.md"
    Delete "$INSTDIR\LICENSE"
    Delete "$INSTDIR\uninstall.exe"
    ; Only when empty: what the user made stays.
    RMDir "$INSTDIR"
    StrCmp $WorkFolder "" +2
    RMDir "$WorkFolder"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    DeleteRegKey SHCTX "${SETTINGS_KEY}"
    DeleteRegKey /ifempty SHCTX "Software\Tarnwick"
SectionEnd
