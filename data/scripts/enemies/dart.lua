-- Dart: glides in from the top, then locks on to where the player is, fires
-- one orb and dives along that line at speed. It does not turn after that, so
-- a sidestep makes it miss.
--   state 1: glide time in ms before the dive (timeline; 600 when 0)
--   state 2: sideways drift while gliding, -1 to 1 (timeline)
--   state 3: 0 while gliding, then the dive heading in radians plus 10
local Dart = {}
Dart.points = 100        -- added to the score when one is destroyed

local GLIDE_SPEED = 0.22   -- down the screen, units per millisecond
local DIVE_SPEED = 0.5
local ORB = 2

function Dart.Update(x, y, dt, glide, drift, heading, timer)
    if glide <= 0 then glide = 600 end
    if heading == 0 then
        x, y = Game.Move(x, y, drift * 0.12, -GLIDE_SPEED, dt)
        if timer >= glide then
            heading = math.atan2(Game.playerY - y, Game.playerX - x) + 10
            Game.ShootAtPlayer(ORB, x, y - 20, 0.3, 5)
        end
    else
        local a = heading - 10
        x, y = Game.Move(x, y, math.cos(a) * DIVE_SPEED, math.sin(a) * DIVE_SPEED, dt)
    end
    return x, y, glide, drift, heading
end

function Dart.OnHit(x, y, health, damage, s1, s2, s3, timer)
    Game.HitFlash(x, y, damage, 24)
    return health - damage, s1, s2, s3
end

function Dart.OnDeath(x, y, s1, s2, s3, timer)
    return true
end

return Dart
