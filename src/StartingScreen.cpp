#include "StartingScreen.h"
