#include "imaging/codec_unbuilt.h"

namespace gz {

void readXpm(ByteReader&, RasterImage&) { throw EXpmError("Unbekantes Format"); }
void readXwd(ByteReader&, RasterImage&) { throw EXwdNotAXwdFile(); }
void readEps(ByteReader&, RasterImage&) { throw EEpsNotSupported(); }
void readTls(ByteReader&, RasterImage&) { throw ETlsNotATlsFile(); }

}  // namespace gz
