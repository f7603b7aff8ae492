; The Windows installer of the DORNIK spectrum scanner programs, made by
; scripts/package --windows with makensis:
;   makensis -DVERSION=<version> -DSTAGE=<folder of the programs> -DICON=<.ico>
;            -DOUTFILE=<setup.exe> -DREMOVALS=<removals.nsh> installer.nsi
; REMOVALS deletes exactly the files of STAGE again.
;
; Installed per user, into a folder the user can write: the program folder
; holds vellic_scanner.ini, which the scanner writes when it closes, so it
; must not lie under Program Files. "/S" installs silently, "/D=<folder>"
; (last, unquoted) chooses the folder. The uninstaller removes the programs
; and the shortcuts and keeps the settings files and every measurement.

; A 64-bit installer: the programs are 64-bit, and 64-bit Windows (and Wine
; without its 32-bit part) runs it as they do.
Target amd64-unicode
RequestExecutionLevel user
; zlib rather than lzma: a few MB larger, made in a fraction of the time.
SetCompressor zlib

!define PRODUCT "DORNIK spectrum scanner"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\dornik-spectrum-scanner"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
Icon "${ICON}"
UninstallIcon "${ICON}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "Line automation"
VIAddVersionKey "LegalCopyright" "Line automation"

Page components
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!macro Shortcut PROGRAM TITLE
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${TITLE}.lnk" "$INSTDIR\${PROGRAM}.exe" "" "$INSTDIR\${PROGRAM}.exe" 0
!macroend

Section "Programs" programs
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  !insertmacro Shortcut DORNIK_spectrum_scanner "DORNIK spectrum scanner"
  !insertmacro Shortcut Halvik_scanner "Halvik scanner"
  !insertmacro Shortcut SELMAR_spectrum_scanner "SELMAR spectrum scanner"
  !insertmacro Shortcut TULMEN_scanner "TULMEN scanner"
  !insertmacro Shortcut VELLIC_spectrum_scanner "VELLIC spectrum scanner"
  !insertmacro Shortcut language_editor "Language editor"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Line automation"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\DORNIK_spectrum_scanner.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Not chosen unless ticked: a scanner starting by itself is the
; administrator's decision.
Section /o "Start the DORNIK spectrum scanner with Windows" autostart
  CreateShortcut "$SMSTARTUP\DORNIK spectrum scanner.lnk" "$INSTDIR\DORNIK_spectrum_scanner.exe"
SectionEnd

Section "Uninstall"
  !include "${REMOVALS}"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMSTARTUP\DORNIK spectrum scanner.lnk"
  RMDir /r "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; Only when nothing else is left: settings and measurements stay.
  RMDir "$INSTDIR\platforms"
  RMDir "$INSTDIR\styles"
  RMDir "$INSTDIR\sqldrivers"
  RMDir "$INSTDIR\imageformats"
  RMDir "$INSTDIR"
SectionEnd
