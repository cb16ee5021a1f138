#include "cad/cad_shape_reader.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <IGESControl_Reader.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <STEPControl_Reader.hxx>
#include <Standard_Failure.hxx>

namespace korvex::cad {

namespace {

std::string extension_of(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// The translators report their progress through the default messenger;
// the command prints its own summary instead.
void silence_translators() {
    static bool done = false;
    if (done) return;
    done = true;
    const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
    if (!messenger.IsNull()) messenger->ChangePrinters().Clear();
}

template <class Reader>
bool read_with(Reader& reader, const std::string& path, TopoDS_Shape& shape) {
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) return false;
    if (reader.TransferRoots() <= 0) {
        shape.Nullify();
        return true;
    }
    shape = reader.OneShape();
    return true;
}

}  // namespace

bool is_cad_part(const std::string& path) {
    const std::string ext = extension_of(path);
    return ext == "step" || ext == "stp" || ext == "iges" || ext == "igs" || ext == "brep";
}

bool read_cad_shape(const std::string& path, TopoDS_Shape& shape, std::string& error) {
    silence_translators();
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fclose(f);
    } else {
        error = path + ": cannot open the file";
        return false;
    }
    const std::string ext = extension_of(path);
    bool read = false;
    try {
        if (ext == "step" || ext == "stp") {
            STEPControl_Reader reader;
            read = read_with(reader, path, shape);
        } else if (ext == "iges" || ext == "igs") {
            IGESControl_Reader reader;
            read = read_with(reader, path, shape);
        } else if (ext == "brep") {
            BRep_Builder builder;
            read = BRepTools::Read(shape, path.c_str(), builder);
        } else {
            error = path + ": not a CAD part (.step, .stp, .iges, .igs or .brep)";
            return false;
        }
    } catch (const Standard_Failure& failure) {
        error = path + ": cannot be read as a CAD part (" + failure.GetMessageString() + ")";
        return false;
    }
    if (!read) {
        error = path + ": cannot be read as a CAD part";
        return false;
    }
    if (shape.IsNull()) {
        error = path + ": the file holds no shape";
        return false;
    }
    return true;
}

}  // namespace korvex::cad
