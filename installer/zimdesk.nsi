; Zim Desk's installer: per user, without administrator rights, into
; %LOCALAPPDATA%\Programs\Zim Desk. Built on Linux by the build's "installer"
; target (installer/CMakeLists.txt), which runs
;   makensis -DVERSION=x.y.z -DBIN=<build bin folder> -DSHIPPED_SKINS=<list.nsh>
;            -DOUT=<installer.exe> zimdesk.nsi
; The uninstaller removes exactly the files listed here; the user's settings
; (HKCU\Software\zimdesk.ini) and skins of their own stay unless asked.
;
; Silent use: /S installs or uninstalls without questions; /D=<folder> (last on
; the command line) sets the folder. With /S, /STARTUP also installs the log-on
; shortcut, and /PURGE makes the uninstaller remove the settings and own skins.

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
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"

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

; Deletes $INSTDIR\$R0. A running program's file, and a hook library that other
; programs keep loaded after the hook is gone (Windows drops it from them a
; little later, Wine only when they end), cannot be deleted, but can be renamed:
; after a few tries the file is moved to $TEMP, out of the program folder, and
; deleted at the next log-on by a RunOnce command of the user's. (Delete
; /REBOOTOK would need administrator rights, which this installer never has.)
!macro RemoveBusyFile un
Function ${un}RemoveBusyFile
  StrCpy $R1 0
  retry:
    Delete "$INSTDIR\$R0"
    IfFileExists "$INSTDIR\$R0" 0 done
    IntOp $R1 $R1 + 1
    IntCmp $R1 10 park
    Sleep 300
    Goto retry
  park:
    GetTempFileName $R2
    Delete "$R2"
    Rename "$INSTDIR\$R0" "$R2"
    IfFileExists "$INSTDIR\$R0" inplace
    WriteRegStr HKCU "${RUNONCE_KEY}" "${NAME} leftover $R2" '"$SYSDIR\cmd.exe" /c del /f /q "$R2"'
    Goto done
  inplace:
    ; Not even renamed (another volume, say): deleted in place at the next log-on.
    WriteRegStr HKCU "${RUNONCE_KEY}" "${NAME} leftover $INSTDIR\$R0" '"$SYSDIR\cmd.exe" /c del /f /q "$INSTDIR\$R0" & rmdir "$INSTDIR"'
  done:
FunctionEnd
!macroend
!insertmacro RemoveBusyFile ""
!insertmacro RemoveBusyFile "un."
!macro RemoveFile un name
  StrCpy $R0 "${name}"
  Call ${un}RemoveBusyFile
!macroend

Section "Zim Desk" SecMain
  SectionIn RO
  Call CloseRunning
  SetOutPath "$INSTDIR"
  ; An older copy's hook library may still be loaded by other programs.
  !insertmacro RemoveFile "" "cbt.dll"
  !insertmacro RemoveFile "" "cbt32.dll"
  File "${BIN}\zimdesk.exe"
  File "${BIN}\cbt.dll"
  File "${BIN}\cbt32.dll"
  File "${BIN}\cbthost32.exe"
  File "${BIN}\zimstart.exe"
  File "${BIN}\zimdesk-rescue.exe"
  File "${BIN}\Zimdesk.html"
  SetOutPath "$INSTDIR\data"
  File /r "${BIN}\data\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Shortcuts start in the program folder, where the program looks for .\skins.
  CreateDirectory "$SMPROGRAMS\${NAME}"
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME}.lnk" "$INSTDIR\zimdesk.exe"
  ; The rescue command prints what it did: in a console that stays open.
  CreateShortcut "$SMPROGRAMS\${NAME}\${NAME} Rescue.lnk" "$SYSDIR\cmd.exe" "/k zimdesk-rescue.exe" \
    "$INSTDIR\zimdesk.exe" 0 SW_SHOWNORMAL "" "Brings back the windows of a Zim Desk that died or hangs"
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
  Delete "$SMPROGRAMS\${NAME}\${NAME} Rescue.lnk"
  Delete "$SMPROGRAMS\${NAME}\${NAME} Help.lnk"
  Delete "$SMPROGRAMS\${NAME}\Uninstall ${NAME}.lnk"
  RMDir "$SMPROGRAMS\${NAME}"

  !insertmacro RemoveFile "un." "zimdesk.exe"
  !insertmacro RemoveFile "un." "cbt.dll"
  !insertmacro RemoveFile "un." "cbt32.dll"
  !insertmacro RemoveFile "un." "cbthost32.exe"
  !insertmacro RemoveFile "un." "zimstart.exe"
  !insertmacro RemoveFile "un." "zimdesk-rescue.exe"
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

; The sections' defaults, changed by switches for silent use.
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/STARTUP" $1
  IfErrors done
  !insertmacro SelectSection ${SecStartup}
  done:
FunctionEnd

Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/PURGE" $1
  IfErrors done
  !insertmacro SelectSection ${UnSecUser}
  done:
FunctionEnd
