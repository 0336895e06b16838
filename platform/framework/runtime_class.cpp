#include "platform/framework/runtime_class.h"

#include "platform/framework/wnd.h"

const CRuntimeClass g_classCWnd = {"CWnd", int(sizeof(CWnd)), nullptr};

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const
{
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == base)
            return true;
    return false;
}
