#pragma once
// Fills the window layer's dialog_calls() table with this library's dialogs.
// Call once at start-up, before the main window is built.
void install_dialogs();
