// Run-time class records: a class's name, object size and base class, so
// code can ask what kind of window object it holds.
#pragma once

struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    const CRuntimeClass* m_pBaseClass;  // null for the root

    // True for this class and every class derived from base.
    bool IsDerivedFrom(const CRuntimeClass* base) const;
};

// The record of CWnd, the root of the window classes.
extern const CRuntimeClass g_classCWnd;

#define RUNTIME_CLASS(name) (&name::class##name)
