; Zim Desk's installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Zim Desk. Built on Linux by scripts/release.sh:
;   makensis -DVERSION=x.y.z -DBIN=<build bin folder> -DOUT=<installer.exe> zimdesk.nsi
; The uninstaller removes exactly the files listed here; the user's settings
; (HKCU\Software\zimdesk.ini) and skins of their own stay unless asked.

; 64-bit like the program (and runnable where no 32-bit code runs).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !define VERSION "0.0.0"
!endif
!ifndef BIN
  !error "BIN (the folder with zimdesk.exe) must be given"
!endif
!ifndef SHIPPED_SKINS
  !error "SHIPPED_SKINS (the generated list of the shipped skin files) must be given"
!endif
!ifndef OUT
  !define OUT "zimdesk-setup.exe"
!endif

!define NAME "Zim Desk"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZimDesk"

!include "MUI2.nsh"
!include "FileFunc.nsh"

Name "${NAME} ${VERSION}"
OutFile "${OUT}"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\zimdesk.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Zim Desk holds its files open and has windows on other desktops:
; its monitor's close gathers every window onto the screen and ends it.
!macro CloseRunning un
Function ${un}CloseRunning
  FindWindow $0 "TZIMMonitor"
  StrCmp $0 0 done
  SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
  StrCpy $1 0
  wait:
    Sleep 200
    FindWindow $0 "TZIMMonitor"
    StrCmp $0 0 done
    IntOp $1 $1 + 1
    IntCmp $1 50 0 wait
    MessageBox MB_OK|MB_ICONEXCLAMATION "Zim Desk is still running. Close it and try again." /SD IDOK
    Abort
  done:
FunctionEnd
!macroend
!insertmacro CloseRunning ""
!insertmacro CloseRunning "un."

Section "Zim Desk" SecMain
  SectionIn RO
  Call CloseRunning
  SetOutPath "$INSTDIR"
  File "${BIN}\zimdesk.exe"
  File "${BIN}\cbt.dll"
  File "${BIN}\cbt32.dll"
  File "${BIN}\cbthost32.exe"
  File "${BIN}\zimstart.exe"
  File "${BIN}\Zimdesk.html"
  SetOutPath "$INSTDIR\data"
  File /r "${BIN}\data\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start in the program folder, where the program looks for .\skins.
  CreateDirectory "$SMPROGRAMS\${NAME}"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME}.lnk" "$INSTDIR\zimdesk.exe"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME} Help.lnk" "$INSTDIR\Zimdesk.html"
  CreateShortcut "$SMPROGRAMS\${NAME}\Uninstall ${NAME}.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "${NAME}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${NAME}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\zimdesk.exe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "Start Zim Desk when I log on" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\${NAME}.lnk" "$INSTDIR\zimdesk.exe"
SectionEnd

Section "un.Zim Desk" UnSecMain
  SectionIn RO
  Call un.CloseRunning
  Delete "$SMSTARTUP\${NAME}.lnk"
  Delete "$SMPROGRAMS\${NAME}\${NAME}.lnk"
  Delete "$SMPROGRAMS\${NAME}\${NAME} Help.lnk"
  Delete "$SMPROGRAMS\${NAME}\Uninstall ${NAME}.lnk"
  RMDir "$SMPROGRAMS\${NAME}"

  Delete "$INSTDIR\zimdesk.exe"
  Delete "$INSTDIR\cbt.dll"
  Delete "$INSTDIR\cbt32.dll"
  Delete "$INSTDIR\cbthost32.exe"
  Delete "$INSTDIR\zimstart.exe"
  Delete "$INSTDIR\Zimdesk.html"
  ; data\ is the shipped copy; the skins the program installed from it into
  ; skins\ go too, but a skin of the user's own keeps the folder.
  RMDir /r "$INSTDIR\data"
  !include "${SHIPPED_SKINS}"
  RMDir "$INSTDIR\skins"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"
SectionEnd

Section /o "un.My settings and my own skins" UnSecUser
  DeleteRegKey HKCU "Software\zimdesk.ini"
  RMDir /r "$INSTDIR\skins"
  RMDir "$INSTDIR"
SectionEnd
