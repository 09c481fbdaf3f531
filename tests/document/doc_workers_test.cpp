// The load and verify workers against recording event sinks: the order of
// their events, the flags and counter they leave, and the waits that end on
// a painted page, a ready trust list or the stop flag. No window.
#include "document/doc_workers.h"

#include <gtest/gtest.h>
#include <wx/init.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "app/data_dirs.h"
#include "app/exceptionex.h"
#include "app/text_utils.h"
#include "app/thread_event.h"
#include "app/worker_flags.h"
#include "crypto/trust_list.h"
#include "document/doc_pdfium.h"
#include "document/doc_services.h"
#include "document/sig_result.h"
#include "support/test_support.h"

namespace {

constexpr auto kBound = std::chrono::seconds(20);

// Records the tags of the thread events it receives, and the results a
// verification's event carries.
struct recording_sink : wxEvtHandler {
    std::vector<wxString> tags;
    std::vector<std::shared_ptr<sig_results>> results;
    recording_sink() {
        Bind(wxEVT_THREAD, [this](wxThreadEvent& e) {
            tags.push_back(e.GetString());
            if (auto r = verified_results(e)) results.push_back(r);
        });
    }
    std::vector<wxString> drain() {
        while (m_pendingEvents && !m_pendingEvents->IsEmpty()) ProcessPendingEvents();  // one per call
        return tags;
    }
};

// What the main window would provide, as plain state the tests set.
std::atomic<bool> painted{false};
std::atomic<int> verifications{0};
std::atomic<bool> lock_held_during_verify{false};
std::atomic<bool> flag_set_during_verify{false};
std::atomic<bool> fail_verification{false};
std::wstring stored_path;
wxEvtHandler* frame_sink = nullptr;

void reset_state() {
    running_workers = 0;
    stop_workers = false;
    trust_list_ready = false;
    trust_list_updating = false;
    doc_loading = false;
    doc_verifying = false;
    painted = false;
    verifications = 0;
    lock_held_during_verify = false;
    flag_set_during_verify = false;
    fail_verification = false;
    stored_path.clear();
    frame_sink = nullptr;
}

std::shared_ptr<sig_results> fake_verify(doc_base& doc) {
    ++verifications;
    flag_set_during_verify = doc_verifying.load();
    // The trust-list lock is ours for the whole verification: another thread cannot take it.
    lock_held_during_verify = std::async(std::launch::async, [] {
                                  bool got = trust_list_mutex.try_lock();
                                  if (got) trust_list_mutex.unlock();
                                  return !got;
                              }).get();
    if (fail_verification) throw exceptionex("(), broken signature table");
    auto set = std::make_shared<sig_results>();
    set->document_serial = doc.serial;
    return set;
}

class DocWorkers : public ::testing::Test {
protected:
    static void SetUpTestSuite() { init_ = std::make_unique<wxInitializer>(); }
    static void TearDownTestSuite() { init_.reset(); }

    void SetUp() override {
        reset_state();
        saved_ = doc_services();
        set_data_root(data_.path());
        certcache_dir = data_.path() + "/certcache/";
        document_services& s = doc_services();
        s.page_painted = [] { return painted.load(); };
        s.set_main_document_path = [](const std::wstring& p) { stored_path = p; };
        s.main_window = [] { return frame_sink; };
        s.verify_open_document = fake_verify;
    }
    void TearDown() override {
        doc_services() = saved_;
        delete current_document;
        current_document = nullptr;
        set_data_root("");
        certcache_dir.clear();
        reset_state();
    }

    template <class F>
    static bool ends_in_time(std::future<F>& f) {
        return f.wait_for(kBound) == std::future_status::ready;
    }
    std::future<void> start_load(wxEvtHandler* window, const std::string& path) {
        return std::async(std::launch::async, [window, path] { load_worker(window, utf8_to_wide(path)); });
    }
    std::future<void> start_verify(wxEvtHandler* window) {
        return std::async(std::launch::async, [window] { verify_worker(window); });
    }

    testsupport::scratch_dir data_;
    document_services saved_;
    static std::unique_ptr<wxInitializer> init_;
};
std::unique_ptr<wxInitializer> DocWorkers::init_;

}  // namespace

TEST_F(DocWorkers, LoadThenVerifyQueueTheirEventsInOrder) {
    const std::string pdf = testsupport::write_minimal_pdf(data_.file("two.pdf"), 2);
    recording_sink window, frame;
    frame_sink = &frame;
    current_document = new doc_pdfium();

    auto load = start_load(&window, pdf);
    ASSERT_TRUE(ends_in_time(load));
    EXPECT_EQ(window.drain(), std::vector<wxString>{evt_loadend});
    EXPECT_TRUE(current_document->loaded);
    EXPECT_EQ(current_document->page_count, 2);
    EXPECT_EQ(stored_path, utf8_to_wide(pdf));
    EXPECT_FALSE(doc_loading.load());
    EXPECT_EQ(running_workers.load(), 0);

    painted = true;
    trust_list_ready = true;
    auto verify = start_verify(&window);
    ASSERT_TRUE(ends_in_time(verify));
    EXPECT_EQ(verifications.load(), 1);
    EXPECT_TRUE(flag_set_during_verify.load());
    EXPECT_TRUE(lock_held_during_verify.load());
    // "evt_verifyend" goes to the main window, not to the window that started
    // it, and carries the results: the worker never installs them itself.
    EXPECT_EQ(frame.drain(), std::vector<wxString>{evt_verifyend});
    ASSERT_EQ(frame.results.size(), 1u);
    EXPECT_EQ(current_document->results, nullptr);
    install_sig_results(*current_document, frame.results.front());
    EXPECT_EQ(current_document->results, frame.results.front());
    // A set made for another document is never installed.
    auto foreign = std::make_shared<sig_results>();
    foreign->document_serial = current_document->serial + 1;
    install_sig_results(*current_document, foreign);
    EXPECT_EQ(current_document->results, frame.results.front());
    EXPECT_EQ(window.drain(), std::vector<wxString>{evt_loadend});
    EXPECT_FALSE(doc_verifying.load());
    EXPECT_EQ(running_workers.load(), 0);

    // Without a main window the event goes back to the starter.
    frame_sink = nullptr;
    auto again = start_verify(&window);
    ASSERT_TRUE(ends_in_time(again));
    EXPECT_EQ(window.drain(), (std::vector<wxString>{evt_loadend, evt_verifyend}));
    EXPECT_EQ(verifications.load(), 2);
}

TEST_F(DocWorkers, FailuresStillQueueTheEventAndClearTheFlags) {
    recording_sink window;
    stored_path = L"kept";
    current_document = new doc_pdfium();
    auto load = start_load(&window, data_.file("missing.pdf"));
    ASSERT_TRUE(ends_in_time(load));
    EXPECT_EQ(window.drain(), std::vector<wxString>{evt_loadend});
    EXPECT_FALSE(current_document->loaded);
    EXPECT_EQ(stored_path, L"kept");
    EXPECT_FALSE(doc_loading.load());
    EXPECT_EQ(running_workers.load(), 0);

    // No document at all.
    delete current_document;
    current_document = nullptr;
    auto none = start_load(&window, data_.file("missing.pdf"));
    ASSERT_TRUE(ends_in_time(none));
    EXPECT_EQ(window.drain().size(), 2u);
    EXPECT_FALSE(doc_loading.load());

    // A verification that throws ends the worker the same way.
    painted = true;
    trust_list_ready = true;
    fail_verification = true;
    auto verify = start_verify(&window);
    ASSERT_TRUE(ends_in_time(verify));
    EXPECT_EQ(window.drain().back(), wxString(evt_verifyend));
    EXPECT_FALSE(doc_verifying.load());
    EXPECT_EQ(running_workers.load(), 0);
    auto free_lock = std::async(std::launch::async, [] {
        bool got = trust_list_mutex.try_lock();
        if (got) trust_list_mutex.unlock();
        return got;
    });
    EXPECT_TRUE(free_lock.get()) << "the trust-list lock was left held";
}

TEST_F(DocWorkers, VerifyWaitsForThePaintedPageAndTheTrustList) {
    recording_sink window;
    current_document = new doc_pdfium();
    auto verify = start_verify(&window);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(verifications.load(), 0);
    EXPECT_EQ(running_workers.load(), 1) << "counted while it waits";
    painted = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(verifications.load(), 0) << "the trust list is not ready";
    trust_list_ready = true;
    ASSERT_TRUE(ends_in_time(verify));
    EXPECT_EQ(verifications.load(), 1);
    EXPECT_EQ(window.drain(), std::vector<wxString>{evt_verifyend});
    EXPECT_EQ(running_workers.load(), 0);
}

TEST_F(DocWorkers, StopFlagEndsEveryWait) {
    recording_sink window;
    current_document = new doc_pdfium();
    doc_loading = true;  // another load holds the flag
    auto verify = start_verify(&window);
    auto load = start_load(&window, testsupport::write_minimal_pdf(data_.file("one.pdf")));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(running_workers.load(), 2);
    stop_workers = true;
    ASSERT_TRUE(ends_in_time(verify));
    ASSERT_TRUE(ends_in_time(load));
    EXPECT_EQ(verifications.load(), 0);
    EXPECT_FALSE(current_document->loaded);
    EXPECT_EQ(window.drain().size(), 2u) << "both still tell the window";
    EXPECT_TRUE(doc_loading.load()) << "a stopped worker never owned the flag";
    EXPECT_FALSE(doc_verifying.load());
    EXPECT_EQ(running_workers.load(), 0);
}
