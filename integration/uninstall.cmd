@echo off
rem Removes what install.cmd added: the three Corvane keys, and the keys above
rem them that install.cmd had to create and that are empty now.
setlocal EnableDelayedExpansion
set "classes=HKEY_CURRENT_USER\Software\Classes"

rem Every step is safe to repeat, so a second pass takes away whatever a reg
rem call that failed in the first one left behind.
call :remove_all
call :remove_all
set "left=0"
call :note_if_left "%classes%\Directory\shell\Corvane"
call :note_if_left "%classes%\Directory\Background\shell\Corvane"
call :note_if_left "%classes%\*\shell\Corvane"
if !left! equ 1 (
    echo Corvane: some of its keys below %classes% could not be removed; run uninstall.cmd again. 1>&2
    exit /b 1
)
echo Corvane is no longer in Explorer's context menu.
exit /b 0

:remove_all
call :remove "%classes%\Directory\shell\Corvane"
call :remove "%classes%\Directory\Background\shell\Corvane"
call :remove "%classes%\*\shell\Corvane"
call :remove_if_empty "%classes%\Directory\Background\shell"
call :remove_if_empty "%classes%\Directory\Background"
call :remove_if_empty "%classes%\Directory\shell"
call :remove_if_empty "%classes%\Directory"
call :remove_if_empty "%classes%\*\shell"
call :remove_if_empty "%classes%\*"
exit /b 0

:note_if_left
reg query "%~1" >nul 2>&1
if not errorlevel 1 set "left=1"
exit /b 0

:remove
reg query "%~1" >nul 2>&1
if errorlevel 1 exit /b 0
reg delete "%~1" /f >nul 2>&1
if not errorlevel 1 echo Removed %~1
exit /b 0

rem Deletes the key when it holds neither values nor subkeys: reg query then
rem lists nothing but, on some versions, the key's own name.
:remove_if_empty
set "key=%~1"
reg query "%~1" >nul 2>&1
if errorlevel 1 exit /b 0
set "entries=0"
for /f "delims=" %%L in ('reg query "%~1" 2^>nul') do (
    set "line=%%L"
    if /i not "!line!"=="!key!" set /a entries+=1
)
if !entries! gtr 0 exit /b 0
reg delete "%~1" /f >nul 2>&1
if not errorlevel 1 echo Removed %~1
exit /b 0
