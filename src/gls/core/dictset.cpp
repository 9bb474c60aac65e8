#include "dictset.h"

#include <stdlib.h>

extern "C" void __glsDictSetDestroy(__GLSdictSet *set) { free(set); }
