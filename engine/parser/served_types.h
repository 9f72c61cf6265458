#pragma once

class token;
class world;

// The argument types each meaning of the token serves, with their grades
// (op_value::types): 1 the name of its kind for a string, 2 for a word, 3
// for any other kind; 4 each class of its entity; 5 the entity's own name;
// 6 the token's own text. Only names of the world's type list count, and a
// meaning that serves none is dropped. True when any meaning is left.
bool assign_served_types(const world& home, token& t);
