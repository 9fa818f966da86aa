#include "BlockArray.h"
