// SPDX-License-Identifier: MIT
// Stand-in for the Objective-C runtime's <objc/runtime.h>, which GNUstep's headers include.
// Debian's GNUstep is built on GCC's runtime, whose header reads an object's class field
// directly, which clang does not allow on `id`; the syntax check needs only the declarations
// below, as GCC's runtime gives them.
#pragma once
#include <objc/objc.h>
#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif
typedef struct objc_ivar* Ivar;
typedef struct objc_method* Method;
typedef struct objc_property* objc_property_t;
const char* sel_getName(SEL selector);
SEL sel_registerName(const char* name);
const char* class_getName(Class class_);
Class class_getSuperclass(Class class_);
size_t class_getInstanceSize(Class class_);
BOOL class_isMetaClass(Class class_);
Class object_getClass(id object);
Class objc_getClass(const char* name);
const char* object_getClassName(id object);
Method class_getInstanceMethod(Class class_, SEL selector);
Method class_getClassMethod(Class class_, SEL selector);
IMP class_getMethodImplementation(Class class_, SEL selector);
BOOL class_respondsToSelector(Class class_, SEL selector);
BOOL class_conformsToProtocol(Class class_, Protocol* protocol);
Ivar class_getInstanceVariable(Class class_, const char* name);
ptrdiff_t ivar_getOffset(Ivar variable);
const char* ivar_getName(Ivar variable);
const char* ivar_getTypeEncoding(Ivar variable);
IMP method_getImplementation(Method method);
SEL method_getName(Method method);
const char* method_getTypeEncoding(Method method);
BOOL sel_isEqual(SEL first, SEL second);
#ifdef __cplusplus
}
#endif
