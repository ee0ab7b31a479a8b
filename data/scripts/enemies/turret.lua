-- Turret: a gun platform that holds its place over the ground, so it scrolls
-- down with the terrain, and fires at the player while it is on screen.
--   state 1: milliseconds between volleys (timeline; 1300 when 0)
--   state 2: shots per volley, fanned around the aim (timeline; 1 when 0)
--   state 3: milliseconds until the next volley
local Turret = {}
Turret.points = 250        -- added to the score when one is destroyed

local ORB = 2
local FAN = math.rad(9)

function Turret.Update(x, y, dt, interval, shots, cooldown, timer)
    if interval <= 0 then interval = 1300 end
    if shots < 1 then shots = 1 end
    if not Game.OnScreen(x, y, 40) then
        cooldown = 350       -- fire shortly after coming into view
    else
        cooldown = cooldown - dt
        if cooldown <= 0 then
            for i = 1, shots do
                Game.ShootAtPlayer(ORB, x, y, 0.3, 5, (i - (shots + 1) / 2) * FAN)
            end
            cooldown = interval
        end
    end
    return x, y, interval, shots, cooldown
end

function Turret.OnHit(x, y, health, damage, s1, s2, s3, timer)
    Game.HitFlash(x, y, damage, 36)
    return health - damage, s1, s2, s3
end

function Turret.OnDeath(x, y, s1, s2, s3, timer)
    Vantrel.Explode(x, y, 30, 120)
    return true
end

return Turret
