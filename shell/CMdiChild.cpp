#include <shell/CMdiChild.h>
