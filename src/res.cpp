#include "res.h"

#include "platform/FileStream.h"
#include "platform/ModuleResource.h"

void ExtractResourceToFile(const QString& ResName, const QString& ResType, const QString& FileName) {
    TResourceStream resource(ResName, ResType);
    TFileStream file(FileName, TFileStream::Create);
    file.WriteBuffer(resource.Data(), resource.Size());
    file.Close();
}
