@echo off
rem The console of the Start menu's "Kolvex Command Prompt": kolvex-export on its PATH.
set "PATH=%~dp0;%PATH%"
title Kolvex
echo kolvex-export is on the PATH of this window: "kolvex-export --help" tells its use.
echo A sample table is in "%~dp0samples".
