// The crash report as the report server takes it: one multipart form posted through SubmitTransfer.
// Every text goes as its bytes, unescaped, so the boundary between the parts is chosen to be one that
// none of them holds.
#include "app/TolmAppBase.h"
#include "core/Buffer.h"
#include "core/StringUtils.h"
#include "diagnostics/CrashCatcher.h"
#include "diagnostics/HTTPTransfer.h"

#include <map>
#include <vector>

namespace {

constexpr char kBoundaryDashes[] = "---------------------------";
// The usual boundary is the dashes and this number in lower-case hexadecimal; the numbers after it
// stand in when a part holds it.
constexpr unsigned long long kBoundaryNumber = 0x7d3e1f30eec;

struct FormField
{
    std::string name;
    std::string value;
};

std::vector<FormField> ReportFields(Tolm::TolmAppBase& app)
{
    std::map<std::string, std::string> extraFields;
    app.AddCrashReportFields(extraFields);
    std::vector<FormField> fields;
    for (const auto& [name, value] : extraFields) {
        fields.push_back({name, value});
    }
    fields.push_back({"prod", app.productName});
    fields.push_back({"version", app.productVersion});
    fields.push_back({"usertext", CrashCatcher::userText});
    fields.push_back({"errortitle", CrashCatcher::crashTitle});
    fields.push_back({"errortext", CrashCatcher::crashText});
    return fields;
}

// The attached file's bytes; none when it cannot be read.
std::string ReadAttachment(Tolm::TolmAppBase& app)
{
    Tolm::Buffer buffer;
    if (!app.ReadFileToBuffer(CrashCatcher::attachmentPath, buffer, true) || buffer.GetDataLen() <= 0) {
        return std::string();
    }
    return std::string(reinterpret_cast<const char*>(buffer.GetDataPtr()), size_t(buffer.GetDataLen()));
}

bool AnyPartHolds(const std::vector<FormField>& fields, const std::string& attachment, const std::string& text)
{
    for (const FormField& field : fields) {
        if (field.name.find(text) != std::string::npos || field.value.find(text) != std::string::npos) {
            return true;
        }
    }
    return attachment.find(text) != std::string::npos;
}

std::string ChooseBoundary(const std::vector<FormField>& fields, const std::string& attachment)
{
    for (unsigned long long number = kBoundaryNumber;; ++number) {
        std::string boundary = kBoundaryDashes + Tolm::FormatString("%llx", number);
        if (!AnyPartHolds(fields, attachment, boundary)) {
            return boundary;
        }
    }
}

std::string FieldPart(const std::string& boundary, const FormField& field)
{
    return "--" + boundary + "\r\nContent-Disposition: form-data; name=\"" + field.name + "\"\r\n\r\n" + field.value +
           "\r\n";
}

// The file name is the one the server files every demo under, whatever the attached file is called.
std::string AttachmentPart(const std::string& boundary, const std::string& attachment)
{
    return "--" + boundary +
           "\r\nContent-Disposition: form-data; name=\"demofile\"; filename=\"vantor.dmo\"\r\n"
           "Content-Type: application/octet-stream\r\n\r\n" +
           attachment + "\r\n";
}

} // namespace

void CrashCatcher::SubmitReportThread()
{
    Tolm::TolmAppBase* app = application;
    if (!app) {
        return;
    }
    std::vector<FormField> fields = ReportFields(*app);
    std::string attachment = attachFile ? ReadAttachment(*app) : std::string();
    std::string boundary = ChooseBoundary(fields, attachment);

    std::string body;
    for (const FormField& field : fields) {
        body += FieldPart(boundary, field);
    }
    if (attachFile) {
        body += AttachmentPart(boundary, attachment);
    }
    body += "--" + boundary + "--\r\n";

    std::string request =
        "POST /plemora_error.php HTTP/1.1\r\nContent-Type: multipart/form-data; boundary=" + boundary +
        "\r\nUser-Agent: Mozilla/4.0 (compatible; vantor)\r\n" + "Host: " + submitHost + "\r\n" +
        "Content-Length: " + Tolm::FormatString("%d", int(body.size())) + "\r\n" + "Connection: close\r\n\r\n" + body;
    SubmitTransfer.SendRequest(submitHost, request);
}
