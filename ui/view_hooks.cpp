#include "ui/view_hooks.h"

view_hooks& the_view_hooks() {
    static view_hooks hooks;
    return hooks;
}
