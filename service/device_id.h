#pragma once
// The machine's device identifier and the program's own name and version,
// and the start-up "user-stat" report that records them.
#include <string>

#include "app/user_info.h"

// This machine's record as found at start-up, and the running program's
// product name and file version.
extern user_info current_user_info;
extern product_info current_product_info;

// Where the network interfaces are listed ("/sys/class/net"); tests point it
// at a folder of their own.
extern std::string network_interfaces_folder;

// All five texts equal.
bool user_info_equal(const user_info& a, const user_info& b);

// The node text of the first network interface, by name, that is not a
// loopback and has a non-zero six-byte hardware address: "AA:BB:CC:DD:EE:FF"
// (upper-case). Empty when there is none.
std::string first_hardware_address(const std::string& folder);

// Fills current_user_info.device_id (upper-case hex SHA-1 of the hardware
// address, or of a random identifier text when there is none) and
// current_user_info.platform (the operating-system description).
void make_device_id();

// A random identifier text: 8-4-4-4-12 lower-case hexadecimal digits.
std::string random_id_text();
std::string random_hex_bytes(int n);
unsigned char random_byte();

// Fills current_product_info from the compiled-in product name and file version.
void read_product_info();

// The running program's file version ("a.b.c.d") and product version, as
// compiled in.
std::string own_file_version();
std::string own_product_version();

// The start-up step: takes the saved identifier or makes one, reads the
// product information, and when anything differs from the saved records
// stores the new values, queues one "user-stat" report and saves both
// sections of the settings file. Never throws.
void report_user_stat();
