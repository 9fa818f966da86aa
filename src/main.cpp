// Vessa Or Korrin: start up, run the title menu until the player takes Exit, shut down.
#include "MainLoop.h"
#include "StartingScreen.h"

int main()
{
    init();
    startScreen();
    shutdown();
    return 0;
}
END_OF_MAIN()
