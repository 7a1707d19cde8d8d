@echo off
rem Removes what install.cmd added: the three Corvane keys, and the keys above
rem them that install.cmd had to create and that are empty now.
setlocal EnableDelayedExpansion
set "classes=HKEY_CURRENT_USER\Software\Classes"

reg delete "%classes%\Directory\shell\Corvane" /f >nul 2>&1
reg delete "%classes%\Directory\Background\shell\Corvane" /f >nul 2>&1
reg delete "%classes%\*\shell\Corvane" /f >nul 2>&1

call :remove_if_empty "%classes%\Directory\Background\shell"
call :remove_if_empty "%classes%\Directory\Background"
call :remove_if_empty "%classes%\Directory\shell"
call :remove_if_empty "%classes%\Directory"
call :remove_if_empty "%classes%\*\shell"
call :remove_if_empty "%classes%\*"
echo Corvane is no longer in Explorer's context menu.
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
if !entries! equ 0 reg delete "%~1" /f >nul 2>&1
exit /b 0
