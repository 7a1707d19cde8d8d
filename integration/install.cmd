@echo off
rem Adds Corvane to Explorer's context menu for the current user, without
rem administrator rights: on folders and a folder's background, whose folder
rem goes to the open dialog, and on files, which are picked in it.
rem The programs are not copied: run uninstall.cmd before moving them.
setlocal DisableDelayedExpansion

rem This script sits in the package's integration folder, the programs one
rem level up. 32-bit Windows runs the x86 build; a 32-bit cmd on 64-bit
rem Windows sees PROCESSOR_ARCHITEW6432 and takes the x64 one.
for %%I in ("%~dp0..") do set "root=%%~fI"
set "arch=x86-64"
if /i "%PROCESSOR_ARCHITECTURE%"=="x86" if not defined PROCESSOR_ARCHITEW6432 set "arch=x86-32"
set "program=%root%\Corvane.%arch%.exe"
if not exist "%program%" goto missing
if not exist "%root%\CorvaneLib.%arch%.dll" goto missing

rem The program path is expanded late, with exclamation marks, so that an
rem ampersand or a parenthesis in it reaches reg as it is. Explorer puts the
rem item's path in place of the V or 1 placeholder; the quotes around it make
rem a path with blanks, or a drive root such as C:\, one argument. Failures
rem are tested with "if errorlevel", which every cmd reads alike.
setlocal EnableDelayedExpansion
set "classes=HKCU\Software\Classes"

set "key=%classes%\Directory\shell\Corvane"
reg add "%key%" /ve /d "Corvane: go to this folder in the open dialog" /f >nul
if errorlevel 1 goto failed
reg add "%key%" /v Icon /d "!program!" /f >nul
if errorlevel 1 goto failed
reg add "%key%" /v MultiSelectModel /d Single /f >nul
if errorlevel 1 goto failed
reg add "%key%\command" /ve /d "\"!program!\" \"%%V\"" /f >nul
if errorlevel 1 goto failed

set "key=%classes%\Directory\Background\shell\Corvane"
reg add "%key%" /ve /d "Corvane: go to this folder in the open dialog" /f >nul
if errorlevel 1 goto failed
reg add "%key%" /v Icon /d "!program!" /f >nul
if errorlevel 1 goto failed
reg add "%key%\command" /ve /d "\"!program!\" \"%%V\"" /f >nul
if errorlevel 1 goto failed

set "key=%classes%\*\shell\Corvane"
reg add "%key%" /ve /d "Corvane: pick this file in the open dialog" /f >nul
if errorlevel 1 goto failed
reg add "%key%" /v Icon /d "!program!" /f >nul
if errorlevel 1 goto failed
reg add "%key%" /v MultiSelectModel /d Single /f >nul
if errorlevel 1 goto failed
reg add "%key%\command" /ve /d "\"!program!\" \"%%1\"" /f >nul
if errorlevel 1 goto failed

echo Corvane is in Explorer's context menu now, running !program!
exit /b 0

:missing
echo Corvane: Corvane.%arch%.exe or CorvaneLib.%arch%.dll is missing in "%root%". Run this script from the integration folder of the unpacked package. 1>&2
exit /b 1

:failed
echo Corvane: could not write to the registry; run uninstall.cmd to remove what was added. 1>&2
exit /b 1
