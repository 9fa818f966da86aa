#include "Block.h"
