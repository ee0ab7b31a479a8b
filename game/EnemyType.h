// A kind of enemy: name, model (owned, shared by all its enemies), script
// handle, size and starting hit points. Loaded from the enemy-type file into
// the Actors container's table, which owns the types.
#pragma once

#include <memory>
#include <string>

class Model;

class EnemyType {
public:
    EnemyType(const std::string& name, std::unique_ptr<Model> model, int scriptHandle, int size, int health);
    virtual ~EnemyType();

    const std::string& GetName() const { return name; }
    Model* GetModel() const { return model.get(); }
    int GetScriptHandle() const { return scriptHandle; }
    int GetSize() const { return size; }
    int GetHealth() const { return health; }

private:
    std::string name;
    std::unique_ptr<Model> model;
    int scriptHandle = 0;
    int size = 0;
    int health = 0;
};
