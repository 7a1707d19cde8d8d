@echo off
rem Adds Corvane to Explorer's context menu for the current user, without
rem administrator rights: on folders, drives and a folder's background, whose
rem folder goes to the open dialog, and on files, which are picked in it.
rem The programs are not copied: run uninstall.cmd before moving them.
rem Delayed expansion stays off: it would take exclamation marks out of paths.
setlocal EnableExtensions DisableDelayedExpansion

rem Explorer starts a script it opens (a double-click) as
rem   <cmd.exe> /c ""<the script's full path>" "
rem in a window that closes as soon as the script ends, so then the script
rem waits for a key before it ends; from a console or another script it never
rem waits. cmd tells its command line in CMDCMDLINE. Its quotes become ?,
rem which no path holds, so that the line compares between quotes whatever it
rem holds; a cmd without CMDCMDLINE leaves a stray quote, taken away next.
set "started_by=-%cmdcmdline:"=?%"
set "started_by=%started_by:"=%"
set "double_clicked="
if /i "%started_by:*/c =%"=="??%~f0? ?" set "double_clicked=1"
set "exit_code=1"

rem This script sits in the package's integration folder, the programs one
rem level up. 32-bit Windows runs the x86 build; a 32-bit cmd on 64-bit
rem Windows sees PROCESSOR_ARCHITEW6432 and takes the x64 one.
for %%I in ("%~dp0..") do set "root=%%~fI"
set "arch=x86-64"
if /i "%PROCESSOR_ARCHITECTURE%"=="x86" if not defined PROCESSOR_ARCHITEW6432 set "arch=x86-32"
set "program=%root%\Corvane.%arch%.exe"

rem Explorer reads a percent sign in a menu command as the start of a
rem placeholder and cuts it out of the program's path; no quoting keeps it.
for /f "tokens=1,* delims=%%" %%A in ("%root%\") do if not "%%B"=="" goto percent
if not exist "%program%" goto missing
if not exist "%root%\CorvaneLib.%arch%.dll" goto missing

call :add_entry "Directory\shell" "Corvane: go to this folder in the open dialog" V single
if errorlevel 1 goto failed
call :add_entry "Directory\Background\shell" "Corvane: go to this folder in the open dialog" V
if errorlevel 1 goto failed
rem Drives (in This PC, the navigation pane, a drive's own window) take their
rem verbs from Drive, not Directory; Explorer passes the root, such as C:\.
call :add_entry "Drive\shell" "Corvane: go to this drive in the open dialog" V single
if errorlevel 1 goto failed
call :add_entry "*\shell" "Corvane: pick this file in the open dialog" 1 single
if errorlevel 1 goto failed

echo Corvane is in Explorer's context menu now, running "%program%".
set "exit_code=0"
goto close

rem Writes one menu entry below HKCU\Software\Classes\<%1>\Corvane: %2 is its
rem text, %3 the letter of the placeholder that Explorer replaces with the
rem item's path, and "single" in %4 offers it for one selected item only.
rem The program path comes in as a FOR variable, which cmd puts in after it
rem has read the line: an ampersand, a parenthesis or an exclamation mark in
rem it reaches reg as it is. The quotes around the placeholder make a path
rem with blanks, or a drive root such as C:\, one argument. Failures are
rem tested with "if errorlevel", which every cmd reads alike.
:add_entry
set "key=HKCU\Software\Classes\%~1\Corvane"
for %%P in ("%program%") do (
    reg add "%key%" /ve /d "%~2" /f >nul
    if errorlevel 1 exit /b 1
    reg add "%key%" /v Icon /d "%%~P" /f >nul
    if errorlevel 1 exit /b 1
    reg add "%key%\command" /ve /d "\"%%~P\" \"%%%~3\"" /f >nul
    if errorlevel 1 exit /b 1
)
if /i not "%~4"=="single" exit /b 0
reg add "%key%" /v MultiSelectModel /d Single /f >nul
exit /b

:percent
echo Corvane: the path of its folder "%root%" holds a percent sign, which Explorer would cut out of the menu's command. Move the Corvane folder to a path without one, then run install.cmd there. Nothing was added. 1>&2
goto close

:missing
echo Corvane: Corvane.%arch%.exe or CorvaneLib.%arch%.dll is missing in "%root%". If you opened this script inside the zip file, unpack the whole zip first; then run install.cmd from the integration folder of the unpacked package. 1>&2
goto close

:failed
echo Corvane: could not write to the registry; run uninstall.cmd to remove what was added. 1>&2
goto close

:close
if defined double_clicked (
    echo Press any key to close this window.
    pause >nul
)
exit /b %exit_code%
