#pragma once
// Run-time class records for forms that are created by class: a record names the class,
// points to its base's record and knows how to create an instance. Plug-ins register
// their records while they are loaded, so the program can create a form from the record
// a module hands out, or find a record by its class name.
//
//   class CMyForm : public CModuleEditor {
//       DECLARE_DYNCREATE(CMyForm)
//   public:
//       CMyForm();
//   };
//   IMPLEMENT_DYNCREATE(CMyForm, CModuleEditor)      // in the .cpp
//
//   QWidget* form = RUNTIME_CLASS(CMyForm)->CreateObject(pane);
#include <string_view>

class QWidget;

struct CRuntimeClass {
    const char* m_lpszClassName;
    const CRuntimeClass* m_pBaseClass; // null at the root of a hierarchy
    QWidget* (*m_pfnCreateObject)(QWidget* parent); // null for classes that are not created by record

    // A new instance with the given parent; null when the class cannot be created by record.
    QWidget* CreateObject(QWidget* parent = nullptr) const;
    // True for this record itself and for every record up its base chain.
    bool IsDerivedFrom(const CRuntimeClass* base) const;

    // The registered record of that exact class name (the latest registered when
    // two libraries register one name); null when none.
    static const CRuntimeClass* FromName(std::string_view className);
};

// Registers a record for as long as it lives. IMPLEMENT_DYNCREATE places one as a static
// object beside the record, so a library's records leave the registry when it is unloaded.
class CRuntimeClassRegistrar {
public:
    explicit CRuntimeClassRegistrar(const CRuntimeClass* record);
    ~CRuntimeClassRegistrar();
    CRuntimeClassRegistrar(const CRuntimeClassRegistrar&) = delete;
    CRuntimeClassRegistrar& operator=(const CRuntimeClassRegistrar&) = delete;

private:
    const CRuntimeClass* m_record;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)

// A class with a record but no creation by record (abstract bases).
#define DECLARE_DYNAMIC(class_name) \
public: \
    static const CRuntimeClass class##class_name; \
\
private:

#define IMPLEMENT_RUNTIMECLASS(class_name, base_record, create_function) \
    const CRuntimeClass class_name::class##class_name{#class_name, base_record, create_function}; \
    static const CRuntimeClassRegistrar s_registrar_##class_name(&class_name::class##class_name);

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    IMPLEMENT_RUNTIMECLASS(class_name, RUNTIME_CLASS(base_class_name), nullptr)

// A class that the program creates from its record; it needs a default constructor.
#define DECLARE_DYNCREATE(class_name) \
public: \
    static const CRuntimeClass class##class_name; \
    static QWidget* CreateObject(QWidget* parent); \
\
private:

#define IMPLEMENT_DYNCREATE(class_name, base_class_name) \
    QWidget* class_name::CreateObject(QWidget* parent) \
    { \
        auto* object = new class_name; \
        if (parent) \
            object->setParent(parent); \
        return object; \
    } \
    IMPLEMENT_RUNTIMECLASS(class_name, RUNTIME_CLASS(base_class_name), &class_name::CreateObject)
