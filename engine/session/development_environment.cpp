// Where the turn hands over to the development environment's queries. The
// development-environment work fills these; until then a query gets no
// reply and no object tree is kept.

#include "session.h"

void session::IdeQuery(const wstring& query) { (void)query; }

void session::PutObjTree(const wstring& name) { (void)name; }
