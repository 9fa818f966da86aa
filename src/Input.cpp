#include "Input.h"
