#include "app/thread_event.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include <wx/init.h>

namespace {

// Records what arrives; the receiver takes over the payload.
struct receiver : wxEvtHandler {
    std::vector<wxString> tags;
    std::vector<trust_cert_info*> entries;
    int ids_any = 0;
    receiver() {
        Bind(wxEVT_THREAD, [this](wxThreadEvent& e) {
            tags.push_back(e.GetString());
            if (e.GetId() == wxID_ANY) ++ids_any;
            // The tag tells whether there is a payload and of which type.
            if (e.GetString() == evt_addtrust) entries.push_back(e.GetPayload<trust_cert_info*>());
        });
    }
};

class ThreadEvents : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_ = std::make_unique<wxInitializer>(); }
    static void TearDownTestSuite() { init_.reset(); }
    static std::unique_ptr<wxInitializer> init_;
};
std::unique_ptr<wxInitializer> ThreadEvents::init_;

}  // namespace

TEST_F(ThreadEvents, TagsHoldTheirNames) {
    EXPECT_EQ(wxString(evt_loadend), "evt_loadend");
    EXPECT_EQ(wxString(evt_verifyend), "evt_verifyend");
    EXPECT_EQ(wxString(sign), "sign");
    EXPECT_EQ(std::size(report_type_names), 12u);
    EXPECT_STREQ(report_type_names[0], "user-stat");
    EXPECT_STREQ(report_type_names[11], "import-pfx");
}

TEST_F(ThreadEvents, QueuedFromWorkersArriveOnTheHandlingThread) {
    receiver window;
    // Stand-ins for the payload objects: only their addresses travel.
    alignas(8) static char storage[2][8];
    auto* first = reinterpret_cast<trust_cert_info*>(storage[0]);
    auto* second = reinterpret_cast<trust_cert_info*>(storage[1]);
    std::thread worker([&] {
        post_thread_event(&window, wxt_thread_event(evt_loadend));
        // One object per receiver: two posts carry two separate pointers.
        post_thread_event(&window, wxt_thread_event(evt_addtrust, first));
        post_thread_event(&window, wxt_thread_event(evt_addtrust, second));
        post_thread_event(nullptr, wxt_thread_event(evt_update));  // no receiver: dropped
    });
    worker.join();
    EXPECT_TRUE(window.tags.empty());  // queued, not handled at once
    for (int i = 0; i < 10; ++i) window.ProcessPendingEvents();
    ASSERT_EQ(window.tags.size(), 3u);
    EXPECT_EQ(window.tags[0], evt_loadend);
    EXPECT_EQ(window.tags[1], evt_addtrust);
    EXPECT_EQ(window.ids_any, 3);
    ASSERT_EQ(window.entries.size(), 2u);
    EXPECT_EQ(window.entries[0], first);
    EXPECT_EQ(window.entries[1], second);
}

TEST_F(ThreadEvents, CloneIsAPlainThreadEventWithTheSamePayload) {
    auto* entry = reinterpret_cast<certstore_sumfile_entry*>(0x1000);
    wxt_thread_event event(evt_addcert, entry);
    std::unique_ptr<wxEvent> copy(event.Clone());
    auto* thread_copy = dynamic_cast<wxThreadEvent*>(copy.get());
    ASSERT_NE(thread_copy, nullptr);
    EXPECT_EQ(copy->GetEventType(), wxEVT_THREAD);
    EXPECT_EQ(thread_copy->GetString(), "evt_addcert");
    EXPECT_EQ(thread_copy->GetPayload<certstore_sumfile_entry*>(), entry);
}
