#include "program/startup_services.h"

#include <chrono>
#include <thread>

#include <wx/event.h>
#include <wx/thread.h>

void report_user_stat() {}

void queue_agreement_report() {}

void report_worker(report_worker_refs* refs) {
    refs->first->fetch_add(1);
    while (!refs->second->load()) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    refs->first->fetch_sub(1);
}

std::string own_file_version() { return VELK_FILE_VERSION; }

void version_check_worker(wxEvtHandler* receiver) {
    if (receiver == nullptr) return;
    auto* done = new wxThreadEvent(wxEVT_THREAD);
    done->SetString("chek version failed");
    receiver->QueueEvent(done);
}

void install_service_hooks() {}
