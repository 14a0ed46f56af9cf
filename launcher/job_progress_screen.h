// The progress screen of the one background job (the setup job or the intro-video
// enhancement): steps, timers, the log and the buttons that cancel, retry or leave.
#pragma once

void JobProgressScreen();
// Applies the shortcut check boxes the finished first setup offered.
void MakeShortcuts();
