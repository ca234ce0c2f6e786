#include "base/diagnostics.h"

#include <utility>

namespace lanzhou {

namespace {

DiagnosticSink& installedSink() {
    static DiagnosticSink sink;
    return sink;
}

}  // namespace

void setDiagnosticSink(DiagnosticSink sink) {
    installedSink() = std::move(sink);
}

void reportDiagnostic(std::string_view area, std::string_view message) {
    if (const DiagnosticSink& sink = installedSink()) {
        sink(area, message);
    }
}

}  // namespace lanzhou
