; The installer, made from the portable folder by scripts/windows-window-build.sh:
;   makensis -DSOURCE_DIR=... -DOUT_FILE=... -DVERSION=... linkhive.nsi
; Installs for the current user or for all users; takes over no file types.
; The programs are 64-bit; so is the installer, which also runs where 32-bit support is missing.
Target amd64-unicode
ManifestDPIAware true
!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "Linkhive"
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Linkhive"
; The program's own settings, which the uninstaller offers to remove.
!define SETTINGS_KEY "Software\Tessella\Linkhive"
!include MultiUser.nsh
!include MUI2.nsh
; The program's picture on the installer and the uninstaller too.
!define MUI_ICON "${__FILEDIR__}/../../src/app/windows/linkhive.ico"
!define MUI_UNICON "${__FILEDIR__}/../../src/app/windows/linkhive.ico"

Name "Linkhive"
OutFile "${OUT_FILE}"
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_WELCOME
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Linkhive"
  SetOutPath "$INSTDIR"
  File /r "${SOURCE_DIR}\*.*"
  ; The home-page shortcut names the local page where it was installed.
  WriteINIStr "$INSTDIR\Tessella.url" "InternetShortcut" "URL" "file:///$INSTDIR\Tessella.htm"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\Linkhive"
  CreateShortcut "$SMPROGRAMS\Linkhive\Linkhive.lnk" "$INSTDIR\linkhive.exe"
  CreateShortcut "$SMPROGRAMS\Linkhive\Linkhive のアンインストール.lnk" "$INSTDIR\uninstall.exe"
  ; SHCTX is the current user's or the machine's hive, as the install mode chose.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Linkhive"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "Tessella"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\linkhive.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Linkhive\Linkhive.lnk"
  Delete "$SMPROGRAMS\Linkhive\Linkhive のアンインストール.lnk"
  RMDir "$SMPROGRAMS\Linkhive"
  ; Only what the installer put there: files the user left in the folder stay.
  Delete "$INSTDIR\linkhive.exe"
  Delete "$INSTDIR\linkhive-cli.exe"
  Delete "$INSTDIR\*.dll"
  Delete "$INSTDIR\qt.conf"
  Delete "$INSTDIR\Linkhive.html"
  Delete "$INSTDIR\Tessella.htm"
  Delete "$INSTDIR\Tessella.url"
  RMDir /r "$INSTDIR\platforms"
  RMDir /r "$INSTDIR\styles"
  RMDir /r "$INSTDIR\translations"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; The settings are the user's: removed only when asked, and kept in a silent uninstall.
  MessageBox MB_YESNO|MB_ICONQUESTION "Linkhive の設定 (レジストリの HKEY_CURRENT_USER\${SETTINGS_KEY}) も削除しますか?" /SD IDNO IDNO keepSettings
    DeleteRegKey HKCU "${SETTINGS_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Tessella"
  keepSettings:
SectionEnd
