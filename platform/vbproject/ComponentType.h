#pragma once

namespace vbide {

// The host's component type codes (VBComponent::Type).
enum vbext_ComponentType : int {
    vbext_ct_StdModule = 1,
    vbext_ct_ClassModule = 2,
    vbext_ct_MSForm = 3,
    vbext_ct_ResFile = 4,
    vbext_ct_VBForm = 5,
    vbext_ct_VBMDIForm = 6,
    vbext_ct_PropPage = 7,
    vbext_ct_UserControl = 8,
    vbext_ct_DocObject = 9,
    vbext_ct_RelatedDocument = 10,
    vbext_ct_ActiveXDesigner = 11,
};

} // namespace vbide
