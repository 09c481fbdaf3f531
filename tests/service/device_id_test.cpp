// The device identifier from a fake interface folder, the random identifier
// texts, and the start-up "user-stat" decision.
#include <filesystem>
#include <regex>

#include "app/text_utils.h"
#include "service/device_id.h"
#include "service_fixture.h"

using testsupport::run_command;

namespace {

namespace fs = std::filesystem;

class device_id : public service_test {
protected:
    void SetUp() override {
        service_test::SetUp();
        net_ = scratch_->file("net");
        saved_folder_ = network_interfaces_folder;
        network_interfaces_folder = net_;
        current_user_info = user_info{};
    }
    void TearDown() override {
        network_interfaces_folder = saved_folder_;
        service_test::TearDown();
    }
    void add_interface(const std::string& name, const std::string& address, const std::string& type = "1") {
        fs::create_directories(net_ + "/" + name);
        testsupport::write_file(net_ + "/" + name + "/address", address + "\n");
        testsupport::write_file(net_ + "/" + name + "/type", type + "\n");
    }
    static std::string openssl_sha1_upper(const std::string& text) {
        auto r = run_command("printf %s " + testsupport::shell_quote(text) + " | openssl sha1 -r");
        std::string hex = r.output.substr(0, 40);
        for (char& c : hex) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return hex;
    }

    std::string net_, saved_folder_;
};

TEST_F(device_id, takes_the_first_real_hardware_address_by_name) {
    add_interface("lo", "00:00:00:00:00:00", "772");
    add_interface("eth0", "00:00:00:00:00:00");
    add_interface("dummy-loop", "02:00:00:00:00:09", "772");
    add_interface("ib0", "80:00:02:08:fe:80:00:00:00:00:00:00:00:00:00:00:00:00:00:01");
    add_interface("wlan0", "aa:bb:cc:dd:ee:01");
    add_interface("enp3s0", "02:42:ac:11:00:02");
    EXPECT_EQ(first_hardware_address(net_), "02:42:AC:11:00:02");

    make_device_id();
    EXPECT_EQ(current_user_info.device_id, openssl_sha1_upper("02:42:AC:11:00:02"));
    EXPECT_FALSE(current_user_info.platform.empty());
    // The same adapter gives the same identifier.
    const std::string first = current_user_info.device_id;
    make_device_id();
    EXPECT_EQ(current_user_info.device_id, first);
}

TEST_F(device_id, without_an_adapter_a_random_text_is_hashed) {
    add_interface("lo", "00:00:00:00:00:00", "772");
    EXPECT_EQ(first_hardware_address(net_), "");
    EXPECT_EQ(first_hardware_address(net_ + "/missing"), "");
    make_device_id();
    const std::string a = current_user_info.device_id;
    make_device_id();
    EXPECT_TRUE(std::regex_match(a, std::regex("[0-9A-F]{40}"))) << a;
    EXPECT_NE(a, current_user_info.device_id);

    const std::regex shape("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}");
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(std::regex_match(random_id_text(), shape));
    EXPECT_EQ(random_hex_bytes(3).size(), 6u);
}

TEST_F(device_id, user_stat_is_queued_on_first_start_and_after_an_update_only) {
    add_interface("eth0", "02:42:ac:11:00:02");
    // First start: nothing saved.
    cfgui = user_info{};
    cfgpi = product_info{};
    report_user_stat();
    ASSERT_EQ(queued_report_count(), 1u);
    report_record r = queued()[0];
    EXPECT_EQ(r.type, "user-stat");
    EXPECT_EQ(r.level, "info");
    EXPECT_EQ(r.desc, "Velkorant, " + own_file_version());
    EXPECT_EQ(r.user.device_id, openssl_sha1_upper("02:42:AC:11:00:02"));
    EXPECT_EQ(cfgpi.version, own_file_version());
    // Saved to the settings file: reading it again gives the same records.
    const user_info saved = cfgui;
    load_settings();
    EXPECT_EQ(cfgui.device_id, saved.device_id);
    EXPECT_EQ(cfgui.platform, saved.platform);
    EXPECT_EQ(cfgpi.version, own_file_version());

    // Second start of the same version: nothing.
    clear_report_queue();
    report_user_stat();
    EXPECT_EQ(queued_report_count(), 0u);

    // After an update: the saved identifier and platform are kept, the version changes.
    cfgpi.version = "0.9.0.0";
    cfgui.platform = "an older description";
    report_user_stat();
    ASSERT_EQ(queued_report_count(), 1u);
    EXPECT_EQ(queued()[0].user.platform, "an older description");
    EXPECT_EQ(cfgpi.version, own_file_version());
}

}  // namespace
