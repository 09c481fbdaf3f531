#pragma once
// Makes the main window's and the home page's forms build this layer's
// windows in place of their plain forms. Call once before the first main
// window is built.
void install_window_parts();
