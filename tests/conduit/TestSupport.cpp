#include "tests/conduit/TestSupport.h"
