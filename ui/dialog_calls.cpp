#include "ui/dialog_calls.h"

dialog_call_table& dialog_calls() {
    static dialog_call_table table;
    return table;
}

dialog_receiver_table& dialog_receivers() {
    static dialog_receiver_table table;
    return table;
}
