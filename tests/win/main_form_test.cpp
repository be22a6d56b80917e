#include "app/main_form.h"
TEST_PLACEHOLDER
