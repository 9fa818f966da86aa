#include "TetraBlock.h"
