#pragma once
// What the service tests share: a data folder of their own with the settings
// loaded, an empty report queue, known saved device and product records,
// short HTTP limits, and a receiver that records thread events.
#include <gtest/gtest.h>
#include <json/json.h>
#include <wx/app.h>
#include <wx/event.h>
#include <wx/init.h>

#include <memory>
#include <string>
#include <vector>

#include "app/data_dirs.h"
#include "app/settings.h"
#include "net/http_client.h"
#include "net/service_addresses.h"
#include "service/report_queue.h"
#include "support/test_support.h"

class service_test : public ::testing::Test {
protected:
    void SetUp() override {
        // Thread events are queued through the application layer: a console
        // initialisation is enough, kept to the end of the process.
        static wxInitializer toolkit;
        scratch_ = std::make_unique<testsupport::scratch_dir>();
        set_data_root(scratch_->path() + "/");
        load_settings();
        clear_report_queue();
        cfgui = user_info{};
        cfgui.device_id = "0123456789ABCDEF0123456789ABCDEF01234567";
        cfgui.platform = "Linux test";
        cfgpi.name = L"Velkorant";
        cfgpi.version = "1.0.0.1";
        saved_http_ = get_http_client_settings();
        http_client_settings s = saved_http_;
        s.default_connect_seconds = 5;
        s.stall_seconds = 5;
        set_http_client_settings(s);
    }
    void TearDown() override {
        clear_report_queue();
        reset_service_addresses();
        set_http_client_settings(saved_http_);
        set_data_root(scratch_->path() + "/gone/");
        scratch_.reset();
    }

    // The queued reports, oldest first.
    static std::vector<report_record> queued() {
        std::lock_guard<std::mutex> lock(report_queue_mutex);
        return std::vector<report_record>(report_queue.begin(), report_queue.end());
    }
    static Json::Value parse_json(const std::string& text) {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value root;
        std::string errors;
        EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << text;
        return root;
    }

    std::unique_ptr<testsupport::scratch_dir> scratch_;
    http_client_settings saved_http_;
};

// Records the texts of the thread events queued to it.
struct recording_sink : wxEvtHandler {
    std::vector<wxString> tags;
    std::vector<std::unique_ptr<wxEvent>> events;
    recording_sink() {
        Bind(wxEVT_THREAD, [this](wxThreadEvent& e) {
            tags.push_back(e.GetString());
            events.emplace_back(e.Clone());
        });
    }
    // Delivers what is queued, through the application's list of handlers
    // with pending events: the queue itself is the workers' to write under
    // wx's lock, never read here.
    void drain() { wxAppConsole::GetInstance()->ProcessPendingEvents(); }
};
