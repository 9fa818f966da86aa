#include "HighScores.h"
