#pragma once
// The program ends only through its own shutdown, so that the settings are
// written: SIGINT and SIGTERM, and a fatal start-up error, only raise this
// request; the main loop sees it, leaves and shuts the game down in order.

// Installs the handlers of SIGINT and SIGTERM (they only set the request).
void InstallQuitSignalHandlers();
void RequestQuit();
bool IsQuitRequested();
void ClearQuitRequest();  // tests
