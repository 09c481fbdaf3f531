#include "document/doc_services.h"

document_services& doc_services() {
    static document_services services;
    return services;
}

std::recursive_mutex& pdf_library_lock() {
    static std::recursive_mutex lock;
    return lock;
}
