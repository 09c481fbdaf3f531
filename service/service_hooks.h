#pragma once
// Connects the service client to the layers below it: the report hooks of
// the trust-list update, the verification and the signing flow, and the
// table the windows call (app/report_hooks.h). The program calls it once at
// start-up, before any worker runs.
void install_service_hooks();
