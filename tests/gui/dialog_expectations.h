#pragma once
// wxTEST_DIALOG expectations for the certificate and signature dialogs:
//     wxTEST_DIALOG(open_it(), wxExpectModal<cert_infodlg>([](cert_infodlg* d) { ...; return wxID_OK; }));
// The function gets the dialog initialised as ShowModal would and returns
// the modal result.
#include <functional>

#include <wx/testing.h>

#include "dialogs/cert_infodlg.h"
#include "dialogs/cert_makedlg.h"
#include "dialogs/cert_select_dlg.h"
#include "dialogs/sig_infodlg.h"
#include "dialogs/simple_sigdlg.h"

#define VELK_EXPECT_OWN_DIALOG(T)                                                   \
    template <>                                                                     \
    class wxExpectModal<T> : public wxExpectModalBase<T> {                          \
    public:                                                                         \
        explicit wxExpectModal(std::function<int(T*)> act) : act(std::move(act)) {} \
                                                                                    \
    protected:                                                                      \
        int OnInvoked(T* dialog) const override {                                   \
            dialog->InitDialog();                                                   \
            return act(dialog);                                                     \
        }                                                                           \
        std::function<int(T*)> act;                                                 \
    };

VELK_EXPECT_OWN_DIALOG(cert_infodlg)
VELK_EXPECT_OWN_DIALOG(cert_makedlg)
VELK_EXPECT_OWN_DIALOG(cert_select_dlg)
VELK_EXPECT_OWN_DIALOG(sig_infodlg)
VELK_EXPECT_OWN_DIALOG(simple_sigdlg)
