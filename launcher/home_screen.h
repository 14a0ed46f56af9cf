// Home: whether the game can be played at a glance, the status rows (last run, disc,
// build, intro video or updates), the links to the settings, and PLAY.
#pragma once

// 0 a disc must be chosen or fixed, 1 the files must be indexed, 2 the game must be
// built, 3 ready to play.
int ReadyLevel();
void HomeScreen();
// PLAY's label: RUNNING while the game runs, else what PLAY would do now.
const wchar_t* PlayLabel();
// The emblem with its ring turned by the truck time: the part of Home that moves (the
// animation's partial frames draw it alone), in its square of the design canvas.
constexpr float kHomeEmblemX = 824, kHomeEmblemY = 58, kHomeEmblemSize = 360;
void HomeEmblem();
// Starts the game (hiding or minimising the window), or says with a toast why not.
void PlayGame();
