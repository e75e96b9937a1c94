#include "ui/controls/redio_macro_button.h"
