@echo off
rem deploy.cmd
rem The one install command for deployment tools (Intune, Configuration Manager,
rem Group Policy start-up scripts, Ansible, ...). Run it with administrator
rem rights, from any working folder. It picks the program for this Windows
rem (x64\install64.exe on 64-bit Windows, also when this command itself runs as a
rem 32-bit process; x86\install.exe on 32-bit Windows), runs it with -nopause under
rem debugout.exe so that its whole trace goes to a new log file under
rem %ProgramData%\KVR7\Driver Installer\Logs, and when no board is present (exit
rem code 4) stages the driver with -nopause -preinstall instead.
rem Exit code: 0 when the driver was installed or staged, otherwise the program's
rem own code unchanged; codes of this command: 124 the program did not end in
rem time, 125 the capture tool could not run it, 200 unsupported processor
rem architecture, 201 package incomplete, 202 no log folder, 740 not elevated.
setlocal EnableExtensions DisableDelayedExpansion

rem The folder of this file, with its trailing backslash, blanks and all.
set "KVR7_PACKAGE=%~dp0"
set "KVR7_LOG="

rem A 32-bit command processor on 64-bit Windows sees x86 in
rem PROCESSOR_ARCHITECTURE and the machine's own architecture in
rem PROCESSOR_ARCHITEW6432.
set "KVR7_ARCH=%PROCESSOR_ARCHITECTURE%"
if defined PROCESSOR_ARCHITEW6432 set "KVR7_ARCH=%PROCESSOR_ARCHITEW6432%"
if /i "%KVR7_ARCH%"=="AMD64" goto on64
if /i "%KVR7_ARCH%"=="x86" goto on32
call :say "deploy: this Windows runs on %KVR7_ARCH% processors; the package holds programs for x64 and x86 only"
exit /b 200
:on64
set "KVR7_FOLDER=%KVR7_PACKAGE%x64"
set "KVR7_PROGRAM=%KVR7_PACKAGE%x64\install64.exe"
goto chosen
:on32
set "KVR7_FOLDER=%KVR7_PACKAGE%x86"
set "KVR7_PROGRAM=%KVR7_PACKAGE%x86\install.exe"
:chosen
set "KVR7_CAPTURE=%KVR7_FOLDER%\debugout.exe"
if not exist "%KVR7_PROGRAM%" goto incomplete
if not exist "%KVR7_CAPTURE%" goto incomplete

rem One log file a run, named with the local date and time (wmic, then
rem PowerShell; without either, the locale's DATE and TIME with their
rem separators replaced).
set "KVR7_LOGS=%ProgramData%"
if not defined KVR7_LOGS set "KVR7_LOGS=%ALLUSERSPROFILE%\Application Data"
set "KVR7_LOGS=%KVR7_LOGS%\KVR7\Driver Installer\Logs"
if not exist "%KVR7_LOGS%\" mkdir "%KVR7_LOGS%" >nul 2>&1
if not exist "%KVR7_LOGS%\" goto nologs
set "KVR7_NOW="
for /f "skip=1 tokens=1 delims=." %%t in ('wmic os get localdatetime 2^>nul') do if not defined KVR7_NOW set "KVR7_NOW=%%t"
if defined KVR7_NOW set "KVR7_STAMP=%KVR7_NOW:~0,8%-%KVR7_NOW:~8,6%"
if not defined KVR7_NOW for /f %%t in ('powershell -NoProfile -NonInteractive -Command "Get-Date -Format yyyyMMdd-HHmmss" 2^>nul') do set "KVR7_STAMP=%%t"
if not defined KVR7_STAMP set "KVR7_STAMP=%DATE%-%TIME%"
set "KVR7_STAMP=%KVR7_STAMP:/=-%"
set "KVR7_STAMP=%KVR7_STAMP::=-%"
set "KVR7_STAMP=%KVR7_STAMP:.=-%"
set "KVR7_STAMP=%KVR7_STAMP:,=-%"
set "KVR7_STAMP=%KVR7_STAMP: =-%"
set "KVR7_LOG=%KVR7_LOGS%\deploy-%KVR7_STAMP%.log"
if exist "%KVR7_LOG%" set "KVR7_LOG=%KVR7_LOGS%\deploy-%KVR7_STAMP%-%RANDOM%.log"
>"%KVR7_LOG%" echo deploy: started %DATE% %TIME% in %CD%
if not exist "%KVR7_LOG%" goto nologs

call :say "deploy: %KVR7_ARCH% Windows: running %KVR7_PROGRAM% -nopause"
call :say "deploy: trace in %KVR7_LOG%"
"%KVR7_CAPTURE%" --timeout 1800 "%KVR7_PROGRAM%" -nopause >>"%KVR7_LOG%" 2>&1
set "KVR7_CODE=%ERRORLEVEL%"
if "%KVR7_CODE%"=="125" goto captureFailed
if not "%KVR7_CODE%"=="4" goto done

call :say "deploy: no KVR7 board present (exit code 4): staging the driver with -nopause -preinstall"
"%KVR7_CAPTURE%" --timeout 1800 "%KVR7_PROGRAM%" -nopause -preinstall >>"%KVR7_LOG%" 2>&1
set "KVR7_CODE=%ERRORLEVEL%"
if "%KVR7_CODE%"=="125" goto captureFailed
if "%KVR7_CODE%"=="0" call :say "deploy: the driver is staged for a board plugged in later"
goto finish

:done
if "%KVR7_CODE%"=="0" call :say "deploy: the driver is installed on the present board"
goto finish

:captureFailed
rem Windows refuses to start a program that requires elevation from a process
rem without administrator rights (error 740, ERROR_ELEVATION_REQUIRED).
findstr /b /c:"debugout: cannot start " "%KVR7_LOG%" | findstr /c:": error 740" >nul 2>&1
if errorlevel 1 goto finish
call :say "deploy: administrator rights are needed: run this command elevated (as SYSTEM or from an administrator's prompt)"
set "KVR7_CODE=740"
goto finish

:finish
if "%KVR7_CODE%"=="124" call :say "deploy: the program did not end within 30 minutes and was stopped"
if "%KVR7_CODE%"=="125" call :say "deploy: the capture tool could not run the program (see the log)"
call :say "deploy: exit code %KVR7_CODE%"
exit /b %KVR7_CODE%

:incomplete
call :say "deploy: the package is incomplete: %KVR7_PROGRAM% or %KVR7_CAPTURE% is missing"
exit /b 201

:nologs
call :say "deploy: cannot create a log file in %KVR7_LOGS%"
exit /b 202

rem Shows one line and appends it to the log once there is one. The text goes
rem through delayed expansion so that characters such as & and ) in folder
rem names print as they are.
:say
set "KVR7_TEXT=%~1"
setlocal EnableDelayedExpansion
echo !KVR7_TEXT!
if defined KVR7_LOG >>"!KVR7_LOG!" echo !KVR7_TEXT!
endlocal
exit /b 0
