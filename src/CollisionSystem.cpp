#include "CollisionSystem.h"
