@echo off
rem Removes what install.cmd added: the four Corvane keys, and the keys above
rem them that install.cmd had to create and that are empty now.
setlocal EnableExtensions DisableDelayedExpansion

rem Started by a double-click, the script waits for a key before its window
rem closes; install.cmd tells how it knows.
set "started_by=-%cmdcmdline:"=?%"
set "started_by=%started_by:"=%"
set "double_clicked="
if /i "%started_by:*/c =%"=="??%~f0? ?" set "double_clicked=1"
set "exit_code=1"

setlocal EnableDelayedExpansion
set "classes=HKEY_CURRENT_USER\Software\Classes"

rem reg query fails alike for a key that is not there and for a registry that
rem may not be read (editing disabled by policy, ...). The classes key always
rem exists: unless it can be read, no answer below says anything.
reg query "%classes%" >nul 2>&1
if errorlevel 1 (
    echo Corvane: cannot read the registry below %classes%, so its entries cannot be checked or removed. 1>&2
    goto close
)

rem Every step is safe to repeat, so a second pass takes away whatever a reg
rem call that failed in the first one left behind.
call :remove_all
call :remove_all
set "left=0"
call :note_if_left "%classes%\Directory\shell\Corvane"
call :note_if_left "%classes%\Directory\Background\shell\Corvane"
call :note_if_left "%classes%\Drive\shell\Corvane"
call :note_if_left "%classes%\*\shell\Corvane"
if !left! equ 1 (
    echo Corvane: some of its keys below %classes% could not be removed; run uninstall.cmd again. 1>&2
    goto close
)
echo Corvane is no longer in Explorer's context menu.
set "exit_code=0"
goto close

:remove_all
call :remove "%classes%\Directory\shell\Corvane"
call :remove "%classes%\Directory\Background\shell\Corvane"
call :remove "%classes%\Drive\shell\Corvane"
call :remove "%classes%\*\shell\Corvane"
call :remove_if_empty "%classes%\Directory\Background\shell"
call :remove_if_empty "%classes%\Directory\Background"
call :remove_if_empty "%classes%\Directory\shell"
call :remove_if_empty "%classes%\Directory"
call :remove_if_empty "%classes%\Drive\shell"
call :remove_if_empty "%classes%\Drive"
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

:close
if defined double_clicked (
    echo Press any key to close this window.
    pause >nul
)
exit /b %exit_code%
