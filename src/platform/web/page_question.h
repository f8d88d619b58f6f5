#pragma once
// The start-up question in the web page's own dialog (browser build only).

// Waits for the viewer's answer, which is also the gesture the page uses for
// full screen and sound: 0 for Yes, 1 for No, 2 for Cancel.
int askInPage(const char* title, const char* text);
