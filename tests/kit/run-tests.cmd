@echo off
rem Runs Tactimer's Windows tests on this desktop: one line per test, then
rem "N passed, N failed". The results go to the results folder beside this
rem file. Exits 0 only when every test passed. Leave the mouse and keyboard
rem alone while it runs: the tests type and click into the program.
setlocal
cd /d "%~dp0"
tests\kit_runner.exe
set status=%errorlevel%
rem Double-clicked, the window would close before the results could be read.
if defined CI goto done
echo %cmdcmdline% | find /i "%~nx0" >nul
if not errorlevel 1 pause
:done
exit /b %status%
