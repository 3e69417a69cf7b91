// TinyXML documents read through the file layer, so that they may lie in a pak archive: the whole
// file is read with the layer's functions and the text handed to TinyXML's parser. Errors are
// TinyXML's own: "Failed to open file" and "Error document empty.".
#pragma once

#include "core/PakInterface.h"

class TiXmlDocument;

// The name becomes the document's value. True when the file was read and parsed without error.
bool LoadXmlDocument(TiXmlDocument& document, const char* name);
// Reads the whole file, whatever the handle's position; the handle stays open.
bool LoadXmlDocument(TiXmlDocument& document, Tolm::PakFileHandle* handle);
