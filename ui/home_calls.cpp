#include "ui/home_calls.h"

home_call_table& home_calls() {
    static home_call_table table;
    return table;
}
