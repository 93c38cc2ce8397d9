#include "quorn/Frame.h"
