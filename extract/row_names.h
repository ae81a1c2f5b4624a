// The property names that extraction and gate packaging set and read on
// every row, interned once for the run.
#pragma once

#include "table/property_name.h"

namespace comptab {

struct RowNames {
  NameId angle = internName("angle");
  NameId bitCount = internName("bitCount");
  NameId cdbName = internName("cdbName");
  NameId color = internName("color");
  NameId componentKind = internName("componentKind");
  NameId componentName = internName("componentName");
  NameId componentType = internName("componentType");
  NameId destination = internName("_DEST");
  NameId dispContents = internName("dispContents");
  NameId gateCount = internName("_GCOUNT");
  NameId gateNumber = internName("_GATENO");
  NameId hasPower = internName("_HASPOWER");
  NameId hierarchicalId = internName("_HID");
  NameId id = internName("id");
  NameId isvGate = internName("isvGate");
  NameId leftOut = internName("_NILR_");
  NameId level = internName("_HLEV");
  NameId mirror = internName("mirror");
  NameId partName = internName("partName");
  NameId pathNumber = internName("pathNumber");
  NameId positionX = internName("positionX");
  NameId positionY = internName("positionY");
  NameId reference = internName("reference");
  NameId referenceHeader = internName("_REFH");
  NameId referenceNumber = internName("_REFN");
  NameId scale = internName("scale");
  NameId sheetId = internName("sheetId");
  NameId sheetNumber = internName("sheetNumber");
  NameId symbolName = internName("symbolName");
  NameId toBoard;  // the board destination's name (platform/sheet/variants.h)
  NameId zone = internName("_ZONE");

  RowNames();
};

const RowNames& rowNames();

}  // namespace comptab
