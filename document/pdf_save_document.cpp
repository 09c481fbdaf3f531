// Saving a document of the PDF layer through the process-wide save buffer.
#include "document/pdf_save_document.h"

#include "app/pdf_save.h"

namespace {

// The library's file-write record, carrying the buffer its blocks go to.
struct buffer_file_write : FPDF_FILEWRITE {
    pdf_save_buffer* out = nullptr;
};

int write_block(FPDF_FILEWRITE* self, const void* data, unsigned long size) {
    return save_write_block(static_cast<buffer_file_write*>(self)->out, data, size);
}

class layer_document : public pdf_savable {
public:
    explicit layer_document(FPDF_DOCUMENT doc) : doc_(doc) {}
    int save_into(pdf_save_buffer& out, bool incremental) override {
        buffer_file_write writer;
        writer.version = 1;
        writer.WriteBlock = write_block;
        writer.out = &out;
        if (FPDF_SaveAsCopy(doc_, &writer, incremental ? FPDF_INCREMENTAL : FPDF_NO_INCREMENTAL)) return 0;
        int code = static_cast<int>(FPDF_GetLastError());
        return code ? code : kSavePdfErrorUnknown;
    }

private:
    FPDF_DOCUMENT doc_;
};

}  // namespace

void save_pdf(const std::wstring& path, FPDF_DOCUMENT doc, bool incremental) {
    layer_document document(doc);
    save_pdf(path, doc ? &document : nullptr, incremental);
}
