#include "vm/version.h"
