#include "document/doc_services.h"

document_services& doc_services() {
    static document_services services;
    return services;
}
